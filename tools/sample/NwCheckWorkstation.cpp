// Stand-in for the workstation check tool of the sample workstation: Orvane only needs it to exist
// and to start; it says what it is when someone presses the button in a demo.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Outil de vérification du poste (exemple de démonstration).", L"NwCheckWorkstation",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}
