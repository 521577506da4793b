#pragma once

// Every stand-in a whole engine run talks to, wired into `services`. A fixture derives from it (so
// its tests name the fakes directly) and may swap in a file service or cabinet extractor of its own.

#include "fakes/FakeNet.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeProbes.h"
#include "fakes/FakeRun.h"
#include "fakes/FakeUpdate.h"
#include "update/WebUpdate.h"

namespace orvane::fakes {

template <class FileOps = FakeFileOperations, class Cabinets = FakeCabinets>
struct TFakeEngineServices {
    TFakeEngineServices() : net(errors), lz(fileOps) {
        services.folders = &folders;
        services.files = &logFiles;
        services.store = &store;
        services.clock = &clock;
        services.locale = &locale;
        services.errors = &errors;
        services.dialogs = &dialogs;
        services.internet = &net;
        services.connection = &state;
        services.fileOps = &fileOps;
        services.lz = &lz;
        services.cabinets = &cabinets;
        services.pump = &pump;
        services.versions = &versions;
        services.processes = &processes;
        services.engineDialogs = &engineDialogs;
        services.currentFolder = &current;
        services.workers = &workers;
        services.fileTimes = &fileTimes;
    }
    // The wiring points into this object.
    TFakeEngineServices(const TFakeEngineServices&) = delete;
    TFakeEngineServices& operator=(const TFakeEngineServices&) = delete;

    FakeKnownFolders folders;
    FakeFileWriter logFiles;
    FakeRegistryStore store;
    FakeClock clock;
    FakeLocale locale;
    FakeInternetErrors errors;
    FakeDialogs dialogs;
    FakeInternet net;
    FakeConnectionState state;
    FileOps fileOps;
    FakeLzExpand lz;
    Cabinets cabinets;
    FakeMessagePump pump;
    FakeVersionResource versions;
    FakeProcessLauncher processes;
    FakeEngineDialogs engineDialogs;
    FakeCurrentFolder current;
    FakeWorkerThreads workers;
    FakeFileTimes fileTimes;
    TWebUpdateServices services;
};

}  // namespace orvane::fakes
