#include <gtest/gtest.h>

#include "core/Text.h"
#include "fakes/FakeUpdate.h"
#include "update/DateTime.h"
#include "update/WebUpdate.h"

namespace orvane {
namespace {

class TestableWebUpdate : public TWebUpdate {
public:
    using TWebUpdate::FLocalFileDateCheck;
    using TWebUpdate::FSaveUpdate;
    using TWebUpdate::TWebUpdate;
};

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *EncodeDate(y, mo, d) + *EncodeTime(h, mi, s);
}

class UpdateDateStore : public ::testing::Test {
protected:
    UpdateDateStore() {
        services.store = &store;
        services.locale = &locale;
        services.fileTimes = &fileTimes;
    }
    void Configure(TWebUpdate& u, bool save = true) {
        u.LastURLEntry.Key = L"Software\\Maker\\Orvane";
        u.LastURLEntry.Section = L"Update";
        u.LastURLEntry.Save = save;
    }
    std::optional<std::wstring> Stored(const std::wstring& name, RegHive hive = RegHive::CurrentUser) {
        return store.ReadText(hive, L"Software\\Maker\\Orvane", L"Update", name);
    }
    void Store(const std::wstring& name, const std::wstring& value) {
        store.WriteText(RegHive::CurrentUser, L"Software\\Maker\\Orvane", L"Update", name, value);
        store.writes = 0;
    }

    fakes::FakeRegistryStore store;
    fakes::FakeLocale locale;
    fakes::FakeFileTimes fileTimes;
    TWebUpdateServices services;
};

TEST(UpdateDateTime, EncodeDecodeAndPictures) {
    EXPECT_EQ(*EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(*EncodeDate(1980, 1, 1), 29221.0);
    EXPECT_EQ(*EncodeDate(2024, 2, 29), 45351.0);
    EXPECT_FALSE(EncodeDate(2023, 2, 29));
    EXPECT_FALSE(EncodeTime(24, 0, 0));
    const DateParts p = DecodeDateTime(At(2016, 12, 24, 23, 59, 59));
    EXPECT_EQ(std::make_tuple(p.year, p.month, p.day, p.hour, p.minute, p.second),
              std::make_tuple(2016, 12, 24, 23, 59, 59));

    EXPECT_EQ(FormatDayMonthYear(At(2016, 12, 24), L'.'), L"24.12.2016");
    EXPECT_EQ(FormatDayMonthYear(At(2024, 3, 5), L'/'), L"05/03/2024");
    EXPECT_EQ(ParseDayMonthYear(L"24.12.2016", L'.'), At(2016, 12, 24));
    EXPECT_EQ(ParseDayMonthYear(L"5/3/24", L'/'), At(2024, 3, 5));
    EXPECT_FALSE(ParseDayMonthYear(L"24/12/2016", L'.'));
    EXPECT_FALSE(ParseDayMonthYear(L"31.02.2016", L'.'));
    EXPECT_FALSE(ParseDayMonthYear(L"garbage", L'.'));

    const TDateTime t = At(2024, 1, 1, 14, 5, 9);
    EXPECT_EQ(FormatTimePicture(t, L"HH:mm:ss", L"AM", L"PM"), L"14:05:09");
    EXPECT_EQ(FormatTimePicture(t, L"h:mm:ss tt", L"AM", L"PM"), L"2:05:09 PM");
    EXPECT_EQ(FormatTimePicture(t, L"H' h 'mm", L"", L""), L"14 h 05");
    EXPECT_EQ(ParseTimeOfDay(L"14:05:09", L':', L"AM", L"PM"), *EncodeTime(14, 5, 9));
    EXPECT_EQ(ParseTimeOfDay(L"2:05:09 PM", L':', L"AM", L"PM"), *EncodeTime(14, 5, 9));
    EXPECT_EQ(ParseTimeOfDay(L"12:00 AM", L':', L"AM", L"PM"), *EncodeTime(0, 0, 0));
    EXPECT_EQ(ParseTimeOfDay(L"14.30", L'.', L"", L""), *EncodeTime(14, 30, 0));
    EXPECT_FALSE(ParseTimeOfDay(L"25:00", L':', L"AM", L"PM"));
    EXPECT_FALSE(ParseTimeOfDay(L"noon", L':', L"AM", L"PM"));
}

TEST_F(UpdateDateStore, NothingWithoutKeyOrSection) {
    TestableWebUpdate u(services);
    u.LastURLEntry.Save = true;
    u.LastURLEntry.Key = L"Software\\Maker\\Orvane";  // no section
    u.URLPut(L"http://h/new.inf");
    u.UpdateDatePut(At(2024, 1, 1, 10));
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(u.URLGet(), L"");
    EXPECT_EQ(u.UpdateDateGet(), At(1980, 1, 1));
    EXPECT_FALSE(u.FSaveUpdate);

    // The local file's date stands in for the store.
    u.FLocalFileDateCheck = L"C:\\App\\app.exe";
    EXPECT_EQ(u.UpdateDateGet(), At(1980, 1, 1));  // not there
    fileTimes.times[L"C:\\App\\app.exe"] = At(2023, 6, 1, 8, 30);
    EXPECT_EQ(u.UpdateDateGet(), At(2023, 6, 1, 8, 30));
}

TEST_F(UpdateDateStore, UrlNeedsSave) {
    TestableWebUpdate u(services);
    Configure(u, false);
    Store(L"LastURL", L"http://h/stored.inf");
    EXPECT_EQ(u.URLGet(), L"");
    u.URLPut(L"http://h/new.inf");
    EXPECT_EQ(store.writes, 0);

    u.LastURLEntry.Save = true;
    EXPECT_EQ(u.URLGet(), L"http://h/stored.inf");
    u.URLPut(L"http://h/new.inf");
    EXPECT_EQ(Stored(L"LastURL"), L"http://h/new.inf");

    u.LastURLEntry.RegRoot = TLastURLReg::lurLOCALMACHINE;
    u.URLPut(L"http://h/machine.inf");
    EXPECT_EQ(Stored(L"LastURL", RegHive::LocalMachine), L"http://h/machine.inf");
    EXPECT_EQ(Stored(L"LastURL"), L"http://h/new.inf");
}

TEST_F(UpdateDateStore, DatePutFormatsWithTheLocale) {
    TestableWebUpdate u(services);
    Configure(u);
    locale.dateSeparator = L'.';
    locale.timeSeparator = L'.';
    locale.longTime = L"HH.mm.ss";
    u.UpdateDatePut(At(2016, 12, 24, 18, 4, 5));
    EXPECT_EQ(Stored(L"LastDate"), L"24.12.2016");
    EXPECT_EQ(Stored(L"LastTime"), L"18.04.05");

    // Midnight writes no time: the earlier one stays.
    u.UpdateDatePut(At(2017, 1, 2));
    EXPECT_EQ(Stored(L"LastDate"), L"02.01.2017");
    EXPECT_EQ(Stored(L"LastTime"), L"18.04.05");
    EXPECT_EQ(u.UpdateDateGet(), At(2017, 1, 2, 18, 4, 5));

    u.LastURLEntry.Save = false;
    store.writes = 0;
    u.UpdateDatePut(At(2020, 1, 1, 1));
    EXPECT_EQ(store.writes, 0);
}

TEST_F(UpdateDateStore, DateGetReadsEvenWithoutSave) {
    struct Case {
        std::optional<std::wstring> date, time;
        TDateTime expected;
    };
    const Case cases[] = {
        {L"24/12/2016", L"18:04:05", At(2016, 12, 24, 18, 4, 5)},
        {L"24/12/2016", std::nullopt, At(2016, 12, 24)},
        {L"not a date", L"18:04:05", At(1980, 1, 1)},           // reading stops at the date
        {std::nullopt, L"18:04:05", At(1980, 1, 1, 18, 4, 5)},  // a time alone is added to 1980
        {L"24/12/2016", L"later", At(2016, 12, 24)},
        {std::nullopt, std::nullopt, At(1980, 1, 1)},
    };
    for (const Case& c : cases) {
        store.values.clear();
        if (c.date) Store(L"LastDate", *c.date);
        if (c.time) Store(L"LastTime", *c.time);
        TestableWebUpdate u(services);
        Configure(u, false);
        EXPECT_EQ(u.UpdateDateGet(), c.expected)
            << ToUtf8(c.date.value_or(L"-")) << " " << ToUtf8(c.time.value_or(L"-"));
        EXPECT_TRUE(u.FSaveUpdate);
        EXPECT_EQ(store.writes, 0);
    }
}

TEST_F(UpdateDateStore, RoundTripWithTwelveHourClock) {
    TestableWebUpdate u(services);
    Configure(u);
    locale.longTime = L"h:mm:ss tt";
    u.UpdateDatePut(At(2024, 7, 14, 0, 30, 0));
    EXPECT_EQ(Stored(L"LastTime"), L"12:30:00 AM");
    EXPECT_EQ(u.UpdateDateGet(), At(2024, 7, 14, 0, 30, 0));
}

}  // namespace
}  // namespace orvane
