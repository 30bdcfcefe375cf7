// What a job on a Quillon queue asks for: the device URI, the queue's PPD defaults, the job's
// options, and the tool's command line they become.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/backend/backend_error.h"
#include "app/backend/device_uri.h"
#include "app/backend/job_options.h"
#include "app/backend/queue_description.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::TempDir;

const std::string kShippedPpd = std::string(QUILLON_TEST_DATA) + "/../../app/backend/quillon-dos.ppd";

TEST(BackendDeviceUri, NamesTheDestinationQueue) {
    EXPECT_EQ(DestinationOf("quillon:/laser"), "laser");
    EXPECT_EQ(DestinationOf("quillon:/Office_Laser-2"), "Office_Laser-2");
    EXPECT_EQ(DestinationOf("quillon:/caf%C3%A9"), "caf\xC3\xA9");

    for (const char* uri : {"quillon:/", "quillon:", "quillon://laser", "quillon:/two%20words",
                            "quillon:/a%2Fb", "quillon:/bad%2", "quillon:/bad%zz",
                            "socket://127.0.0.1:9100", "quillon:/a#b"}) {
        try {
            DestinationOf(uri);
            ADD_FAILURE() << uri << " was accepted";
        } catch (const EBackendError& error) {
            EXPECT_EQ(error.Status(), CUPS_BACKEND_STOP) << uri;
            EXPECT_NE(std::string(error.what()).find("quillon:/QUEUE"), std::string::npos) << error.what();
        }
    }
}

TEST(BackendQueueDescription, ReadsTheShippedDefaultsAndFontNames) {
    const QueueDescription queue = ReadQueueDescription(kShippedPpd.c_str());
    EXPECT_EQ(queue.defaults.at("quillon-line-drawing"), "false");
    EXPECT_EQ(queue.defaults.at("quillon-fit"), "true");
    EXPECT_EQ(queue.defaults.at("quillon-size"), "10");
    EXPECT_EQ(queue.defaults.at("quillon-font"), "CourierNew");
    EXPECT_EQ(queue.fontFamilies.at("DejaVuSansMono"), "DejaVu Sans Mono");
    // Only our options: PageSize is the destination's business.
    EXPECT_EQ(queue.defaults.count("PageSize"), 0u);

    // The shipped defaults are the tool's, but for fitting wide reports.
    const JobOptions options = ReadJobOptions("1", "", queue);
    EXPECT_EQ(options.font, "Courier New");
    EXPECT_EQ(options.size, 10);
    EXPECT_FALSE(options.lineDrawing);
    EXPECT_TRUE(options.fit);

    EXPECT_TRUE(ReadQueueDescription(nullptr).defaults.empty());
    EXPECT_TRUE(ReadQueueDescription("/nonexistent.ppd").defaults.empty());
}

// A queue whose PPD defaults were changed with lpadmin -o, as lpadmin writes them.
QueueDescription ChangedQueue(const TempDir& dir) {
    std::string ppd = testing::ReadFile(kShippedPpd);
    const auto replace = [&](const std::string& from, const std::string& to) {
        ppd.replace(ppd.find(from), from.size(), to);
    };
    replace("*Defaultquillon-line-drawing: false", "*Defaultquillon-line-drawing: true");
    replace("*Defaultquillon-size: 10", "*Defaultquillon-size: 8");
    replace("*Defaultquillon-font: CourierNew", "*Defaultquillon-font: LiberationMono");
    testing::WriteFile(dir.File("queue.ppd"), ppd);
    return ReadQueueDescription(dir.File("queue.ppd").c_str());
}

TEST(BackendJobOptions, QueueDefaultsYieldToTheJobsOwnOptions) {
    TempDir dir;
    const QueueDescription queue = ChangedQueue(dir);
    JobOptions options = ReadJobOptions("1", "", queue);
    EXPECT_TRUE(options.lineDrawing);
    EXPECT_EQ(options.size, 8);
    EXPECT_EQ(options.font, "Liberation Mono");

    // The scheduler's form: booleans as "name" and "noname", blanks escaped, ids and times
    // of the job mixed in.
    options = ReadJobOptions("3",
                             "job-uuid=urn:uuid:1 finishings=3 noquillon-line-drawing quillon-fit "
                             "quillon-size=12 quillon-font=DejaVu\\ Sans\\ Mono orientation-requested=4 "
                             "page-ranges=1-3,5,7- sides=two-sided-long-edge number-up=1 "
                             "time-at-creation=1796902908",
                             queue);
    EXPECT_EQ(options.copies, 3);
    EXPECT_FALSE(options.lineDrawing);
    EXPECT_TRUE(options.fit);
    EXPECT_EQ(options.size, 12);
    EXPECT_EQ(options.font, "DejaVu Sans Mono");
    EXPECT_TRUE(options.landscape);
    // What the destination's driver does with the laid-out pages goes to it as it came.
    const std::vector<std::pair<std::string, std::string>> forwarded = {
        {"number-up", "1"}, {"page-ranges", "1-3,5,7-"}, {"sides", "two-sided-long-edge"}};
    EXPECT_EQ(options.forwarded, forwarded);

    // A print dialog sends the PPD's keyword; a font it does not list is taken as a family.
    EXPECT_EQ(ReadJobOptions("1", "quillon-font=NimbusMonoPS", queue).font, "Nimbus Mono PS");
    EXPECT_EQ(ReadJobOptions("1", "quillon-font='Free Mono'", queue).font, "Free Mono");
}

TEST(BackendJobOptions, OrientationsLayOutUpright) {
    const QueueDescription none;
    const std::vector<std::pair<const char*, bool>> cases = {
        {"orientation-requested=3", false}, {"orientation-requested=4", true},
        {"orientation-requested=5", true},  {"orientation-requested=6", false},
        {"landscape", true},                {"landscape=false", false},
    };
    for (const auto& [text, landscape] : cases) {
        EXPECT_EQ(ReadJobOptions("1", text, none).landscape, landscape) << text;
    }
}

TEST(BackendJobOptions, UnusableValuesCancelTheJobNamingTheOption) {
    const QueueDescription none;
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"quillon-size=abc", "quillon-size"},
        {"quillon-size=200", "quillon-size"},
        {"quillon-size=3", "quillon-size"},
        {"quillon-fit=maybe", "quillon-fit"},
        {"quillon-line-drawing=2", "quillon-line-drawing"},
        {"quillon-font=''", "quillon-font"},
        {"orientation-requested=9", "orientation-requested"},
        {"quillon-linedrawing=true", "quillon-linedrawing"},
    };
    for (const auto& [text, option] : cases) {
        try {
            ReadJobOptions("1", text, none);
            ADD_FAILURE() << text << " was accepted";
        } catch (const EBackendError& error) {
            EXPECT_EQ(error.Status(), CUPS_BACKEND_CANCEL) << text;
            EXPECT_NE(std::string(error.what()).find(option), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(ReadJobOptions("0", "", none), EBackendError);
    EXPECT_THROW(ReadJobOptions("many", "", none), EBackendError);
}

TEST(BackendJobOptions, BecomeTheToolsPrintCommand) {
    JobOptions options;
    EXPECT_EQ(LayoutArguments(options, 500, ""),
              (std::vector<std::string>{"quillon-cli", "print", "-", "--pdf", "-", "--font", "Courier New",
                                        "--size", "10", "--max-pages", "500", "--no-fit"}));
    options.landscape = true;
    options.lineDrawing = true;
    options.fit = true;
    options.font = "DejaVu Sans Mono";
    options.size = 8;
    options.forwarded = {{"page-ranges", "2"}};
    EXPECT_EQ(LayoutArguments(options, 10, "report.prn"),
              (std::vector<std::string>{"quillon-cli", "print", "-", "--pdf", "-", "--font", "DejaVu Sans Mono",
                                        "--size", "8", "--max-pages", "10", "--landscape", "--line-drawing",
                                        "--fit", "--title", "report.prn"}));
}

}  // namespace
}  // namespace quillon
