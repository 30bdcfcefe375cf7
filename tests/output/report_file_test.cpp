// Report files: saving and loading, the older header, refusals that keep the user's file, and
// damaged files.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "output/damaged_report.h"
#include "output/qr_page_list.h"
#include "platform/files/in_out_error.h"
#include "tests/output/emf_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ReadFile;
using testing::TempDir;
using testing::TextPage;
using testing::WriteFile;

std::int32_t Get32(const std::string& bytes, std::size_t at) {
    std::int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void Put32(std::string& bytes, std::size_t at, std::int32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

// A finished run of `count` pages, its header written again at the end.
struct FinishedRun {
    FinishedRun(int count, bool compressed) {
        list.SetCompression(compressed);
        list.SetStream(std::make_unique<TQRStream>(250000));
        for (int i = 1; i <= count; ++i) {
            pictures.push_back(TextPage(i));
            list.AppendPage(*pictures.back());
        }
        list.WriteHeader();
    }
    TQRPageList list;
    std::vector<std::unique_ptr<PagePicture>> pictures;
};

void ExpectSamePages(TQRPageList& list, const std::vector<std::unique_ptr<PagePicture>>& pictures,
                     const std::vector<int>& order) {
    for (const int n : order) {
        const auto page = list.ReadPage(n);
        ASSERT_NE(page, nullptr) << n;
        EXPECT_EQ(page->Bytes(), pictures[static_cast<std::size_t>(n - 1)]->Bytes()) << n;
    }
}

// Offsets of the records of an intact file, found by following the chain.
std::vector<std::size_t> RecordStarts(const std::string& file, std::size_t headerLength) {
    std::vector<std::size_t> starts;
    for (std::size_t at = headerLength; at < file.size();
         at = static_cast<std::size_t>(Get32(file, at + 4))) {
        starts.push_back(at);
    }
    return starts;
}

class ReportFileTest : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Storage, ReportFileTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Compressed" : "Plain";
                         });

TEST_P(ReportFileTest, SaveLoadSaveGivesTheSamePagesAndAnIdenticalFile) {
    TempDir dir;
    FinishedRun run(3, GetParam());
    run.list.SaveReportFile(dir.File("first.qrp"));
    const std::string first = ReadFile(dir.File("first.qrp"));
    MemoryStream stream;
    run.list.Stream()->CopyTo(stream);
    EXPECT_EQ(first, std::string(stream.Bytes().begin(), stream.Bytes().end()));
    EXPECT_EQ(Get32(first, 8), 3);
    EXPECT_EQ(first[25], GetParam() ? 1 : 0);

    {
        TQRPageList loaded;
        loaded.LoadReportFile(dir.File("first.qrp"));
        EXPECT_EQ(loaded.PageCount(), 3);
        EXPECT_EQ(loaded.Compression(), GetParam());
        EXPECT_EQ(loaded.HeaderLength(), 128);
        ExpectSamePages(loaded, run.pictures, {3, 1, 2, 3});
        loaded.SaveReportFile(dir.File("second.qrp"));
        EXPECT_EQ(ReadFile(dir.File("second.qrp")), first);
    }
    // Releasing the loaded pages leaves the file alone.
    EXPECT_EQ(ReadFile(dir.File("first.qrp")), first);
}

TEST(ReportFile, OlderHeaderOf124BytesLoads) {
    TempDir dir;
    FinishedRun run(3, false);
    run.list.SaveReportFile(dir.File("new.qrp"));
    const std::string current = ReadFile(dir.File("new.qrp"));

    // The same report with the older header: the date at 12, the compression flag at 21, and
    // every offset 4 bytes smaller.
    std::string old = current.substr(0, 12) + current.substr(16, 8) + current.substr(24, 103) +
                      std::string(1, '\0') + current.substr(128);
    old[20] = '\x5A';
    for (const std::size_t start : RecordStarts(current, 128)) {
        const std::size_t next = static_cast<std::size_t>(Get32(current, start + 4));
        Put32(old, start - 4 + 4, static_cast<std::int32_t>(next - 4));
        Put32(old, next - 4 - 4, static_cast<std::int32_t>(start - 4));
    }
    ASSERT_EQ(old.substr(173, 4), std::string("EMF\0", 4));
    WriteFile(dir.File("old.qrp"), old);

    TQRPageList loaded;
    loaded.LoadReportFile(dir.File("old.qrp"));
    EXPECT_EQ(loaded.HeaderLength(), 124);
    EXPECT_EQ(loaded.PageCount(), 3);
    EXPECT_FALSE(loaded.Compression());
    ExpectSamePages(loaded, run.pictures, {1, 3, 2});
    loaded.PositionAtFirstPage();
    EXPECT_EQ(loaded.Stream()->Position(), 124);
    loaded.SaveReportFile(dir.File("copy.qrp"));
    EXPECT_EQ(ReadFile(dir.File("copy.qrp")), old);
}

TEST(ReportFile, UpgradeHeaderMovesEveryField) {
    std::array<std::uint8_t, 124> old{};
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<std::uint8_t>(i + 1);
    const auto header = UpgradeHeader(old);
    const std::vector<std::pair<std::size_t, std::size_t>> moves = {
        {0, 0},   {1, 1},   {2, 2},   {3, 3},   {4, 4},   {8, 8},    {11, 11},
        {12, 16}, {19, 23}, {20, 24}, {21, 25}, {22, 26}, {122, 126}};
    for (const auto& [from, to] : moves) EXPECT_EQ(header[to], old[from]) << from << " -> " << to;
    for (const std::size_t zero : {5, 6, 7, 12, 13, 14, 15, 127})
        EXPECT_EQ(header[zero], 0) << zero;
}

TEST(ReportFile, SavingOntoTheLoadedFileIsRefusedAndKeepsIt) {
    TempDir dir;
    FinishedRun run(2, false);
    run.list.SaveReportFile(dir.File("report.qrp"));
    const std::string before = ReadFile(dir.File("report.qrp"));
    ASSERT_EQ(::symlink(dir.File("report.qrp").c_str(), dir.File("link.qrp").c_str()), 0);
    ASSERT_EQ(::link(dir.File("report.qrp").c_str(), dir.File("hard.qrp").c_str()), 0);

    TQRPageList loaded;
    loaded.LoadReportFile(dir.File("report.qrp"));
    for (const std::string& name : {dir.File("report.qrp"), dir.Path() + "/./report.qrp",
                                    dir.File("link.qrp"), dir.File("hard.qrp")}) {
        try {
            loaded.SaveReportFile(name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + name + "\". ", 0), 0u)
                << e.what();
        }
    }
    EXPECT_EQ(ReadFile(dir.File("report.qrp")), before);
    ExpectSamePages(loaded, run.pictures, {2, 1});

    // The files the pages were made from are refused with the converter's code.
    const std::vector<std::string> inputs{dir.File("hard.qrp")};
    try {
        run.list.SaveReportFile(dir.File("link.qrp"), inputs);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), 32);
    }
    EXPECT_EQ(ReadFile(dir.File("report.qrp")), before);
    EXPECT_EQ(testing::EntryCount(dir.Path()), 3u);
}

TEST(ReportFile, SavingReplacesAFileAndKeepsItsPermissions) {
    TempDir dir;
    WriteFile(dir.File("report.qrp"), "an older report");
    ASSERT_EQ(::chmod(dir.File("report.qrp").c_str(), 0640), 0);
    FinishedRun run(2, true);
    run.list.SaveReportFile(dir.File("report.qrp"));
    MemoryStream stream;
    run.list.Stream()->CopyTo(stream);
    EXPECT_EQ(ReadFile(dir.File("report.qrp")),
              std::string(stream.Bytes().begin(), stream.Bytes().end()));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("report.qrp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(testing::EntryCount(dir.Path()), 1u);
}

// Runs a save that must fail as an unprivileged user, and checks that the existing file and
// the folder are as before.
void ExpectFailedSave(const std::string& folder, const std::string& target,
                      const std::function<void()>& prepare, const std::string& message) {
    const std::string before = ReadFile(target);
    const std::size_t entriesBefore = testing::EntryCount(folder);
    FinishedRun run(3, false);
    const int result = testing::RunUnprivileged([&] {
        prepare();
        try {
            run.list.SaveReportFile(target);
        } catch (const EStreamError& e) {
            return std::string(e.what()).rfind(message, 0) == 0 ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0) << message;
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(testing::EntryCount(folder), entriesBefore);
}

TEST(ReportFile, AFailedSaveNeverDestroysTheExistingFile) {
    TempDir dir;
    const std::string folder = dir.File("reports");
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const std::string target = folder + "/report.qrp";
    WriteFile(target, "an older report");
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);

    // A full disk: writes beyond 1000 bytes fail.
    ExpectFailedSave(
        folder, target,
        [] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        },
        "Stream write error");

    // A folder where no file can be made.
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ExpectFailedSave(
        folder, target, [] {}, "Cannot create file \"" + target + "\". Permission denied");
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);

    // A read-only file, also for a privileged user.
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ExpectFailedSave(
        folder, target, [] {}, "Cannot create file \"" + target + "\". Permission denied");
    FinishedRun run(1, false);
    EXPECT_THROW(run.list.SaveReportFile(target), EFCreateError);
    EXPECT_EQ(ReadFile(target), "an older report");

    EXPECT_THROW(run.list.SaveReportFile(folder), EFCreateError);
    EXPECT_THROW(run.list.SaveReportFile(folder + "/missing/report.qrp"), EFCreateError);
}

// A damaged file: what is wrong with it, how it is made from an intact report of three pages,
// which pages are read after loading (none: loading itself fails), and the message.
struct Damage {
    const char* fault;
    bool compressed;
    std::function<void(std::string& file, const std::vector<std::size_t>& starts)> damage;
    std::vector<int> reads;
    std::string message;
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.fault;
}

const std::vector<Damage>& Damages() {
    static const std::vector<Damage> damages = {
        {"not a report file",
         false,
         [](std::string& f, auto&) { f = std::string(300, 'x'); },
         {},
         "Damaged report file: the page count 2021161080 does not fit the file"},
        {"shorter than the header probe",
         false,
         [](std::string& f, auto&) { f.resize(176); },
         {},
         "Stream read error"},
        {"a report of no pages, header only",
         false,
         [](std::string& f, auto&) {
             f.resize(128);
             Put32(f, 8, 0);
         },
         {},
         "Stream read error"},
        {"no pages counted but records follow",
         false,
         [](std::string& f, auto&) { Put32(f, 8, 0); },
         {},
         "Damaged report file: the file holds data but no pages"},
        {"negative page count",
         false,
         [](std::string& f, auto&) { Put32(f, 8, -1); },
         {},
         "Damaged report file: the page count -1 does not fit the file"},
        {"page count far beyond the file",
         false,
         [](std::string& f, auto&) { Put32(f, 8, 0x7FFFFFFF); },
         {},
         "Damaged report file: the page count 2147483647 does not fit the file"},
        {"page count larger than the pages",
         false,
         [](std::string& f, auto&) { Put32(f, 8, 5); },
         {},
         "Damaged report file: the file ends after page 3 of 5"},
        {"page count smaller than the pages",
         false,
         [](std::string& f, auto&) { Put32(f, 8, 2); },
         {},
         "Damaged report file: data follows the last page, page 2"},
        {"truncated inside the last page",
         false,
         [](std::string& f, auto&) { f.resize(f.size() - 10); },
         {},
         "Damaged report file: page 3 has an invalid length"},
        {"next-record offset outside the file",
         false,
         [](std::string& f, auto& s) { Put32(f, s[0] + 4, 0x7FFFFFF0); },
         {},
         "Damaged report file: page 1 has an invalid length"},
        {"next-record offset pointing backwards",
         false,
         [](std::string& f, auto& s) { Put32(f, s[1] + 4, 128); },
         {},
         "Damaged report file: page 2 has an invalid length"},
        {"next-record offset pointing into the record",
         false,
         [](std::string& f, auto& s) { Put32(f, s[1] + 4, static_cast<std::int32_t>(s[1] + 100)); },
         {},
         "Damaged report file: page 3 is out of sequence (found page 0)"},
        {"page numbers out of sequence",
         false,
         [](std::string& f, auto& s) { Put32(f, s[1], 7); },
         {},
         "Damaged report file: page 2 is out of sequence (found page 7)"},
        {"last record does not point back to its start",
         false,
         [](std::string& f, auto&) { Put32(f, f.size() - 4, 0); },
         {},
         "Damaged report file: page 3 does not point back to its own start"},
        {"backward link to the wrong record",
         false,
         [](std::string& f, auto& s) { Put32(f, s[2] - 4, 128); },
         {2},
         "Damaged report file: page 2 is out of sequence (found page 1)"},
        {"backward link pointing forwards",
         false,
         [](std::string& f, auto& s) { Put32(f, s[2] - 4, static_cast<std::int32_t>(s[2])); },
         {2},
         "Damaged report file: page 2 does not lie before page 3"},
        {"backward link into the header",
         false,
         [](std::string& f, auto& s) { Put32(f, s[2] - 4, 8); },
         {2},
         "Damaged report file: page 2 lies outside the file"},
        {"picture that does not parse",
         false,
         [](std::string& f, auto& s) { f[s[1] + 8 + 40] = 'X'; },
         {1, 2},
         "Metafile is not valid"},
        {"picture longer than its record",
         false,
         [](std::string& f, auto& s) { Put32(f, s[2] + 8 + 48, Get32(f, s[2] + 8 + 48) + 4); },
         {},
         "Metafile is not valid"},
        {"compressed length absurd",
         true,
         [](std::string& f, auto& s) { Put32(f, s[2] + 8, 0x7FFFFFFF); },
         {},
         "Damaged report file: page 3 has an impossible picture length"},
        {"compressed length negative",
         true,
         [](std::string& f, auto& s) { Put32(f, s[2] + 8, -5); },
         {},
         "Damaged report file: page 3 has an impossible picture length"},
        {"compressed length more than the code can hold",
         true,
         [](std::string& f, auto& s) {
             Put32(f, s[2] + 8, static_cast<std::int32_t>(8 * (f.size() - 4 - (s[2] + 12)) + 1));
         },
         {},
         "Damaged report file: page 3 has an impossible picture length"},
        {"compressed code for no byte",
         true,
         [](std::string& f, auto& s) { f[s[1] + 12] = 0, f[s[1] + 13] = 1; },
         {2},
         "Damaged report file: page 2 holds an invalid compressed code"},
        {"compressed length longer than the code",
         true,
         [](std::string& f, auto& s) { Put32(f, s[0] + 8, Get32(f, s[0] + 8) * 2); },
         {1},
         "Damaged report file: page 1 has a compressed picture that is cut short"},
    };
    return damages;
}

class DamagedReportFile : public ::testing::TestWithParam<Damage> {};

INSTANTIATE_TEST_SUITE_P(Faults, DamagedReportFile, ::testing::ValuesIn(Damages()),
                         [](const ::testing::TestParamInfo<Damage>& param) {
                             std::string name;
                             for (const char c : std::string(param.param.fault)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST_P(DamagedReportFile, EndsInAClearError) {
    const Damage& d = GetParam();
    TempDir dir;
    FinishedRun run(3, d.compressed);
    run.list.SaveReportFile(dir.File("report.qrp"));
    std::string file = ReadFile(dir.File("report.qrp"));
    d.damage(file, RecordStarts(file, 128));
    WriteFile(dir.File("report.qrp"), file);

    TQRPageList list;
    std::string message = "no error";
    try {
        list.LoadReportFile(dir.File("report.qrp"));
        if (d.reads.empty()) ADD_FAILURE() << "loaded";
        for (const int n : d.reads) list.ReadPage(n);
    } catch (const std::exception& e) {
        message = e.what();
    }
    EXPECT_EQ(message, d.message);
    if (d.reads.empty()) {
        EXPECT_EQ(list.Stream(), nullptr);
        EXPECT_EQ(list.PageCount(), 0);
    } else {
        // The pages that are intact can still be read.
        EXPECT_EQ(list.PageCount(), 3);
    }
}

}  // namespace
}  // namespace quillon
