// tarnova-cli report, run as a process: the report as PDF pages in the paper and orientation
// asked for, the report options of the INI, and the failures.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace tarnova {
namespace {

using test::CliRun;

struct PdfPages {
    int count = 0;
    std::string mediaBox; // of the first page, "0 0 W H" in points
};

PdfPages pagesOf(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page[^s])");
    static const std::regex box(R"(/MediaBox\s*\[\s*([^\]]*?)\s*\])");
    PdfPages pages;
    pages.count = static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
    std::smatch match;
    if (std::regex_search(pdf, match, box)) {
        pages.mediaBox = match[1];
    }
    return pages;
}

class ReportCommand : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override {
        test::writeRatioRun(folder);
        // No print queue at all: a spooler that is not there.
        setenv("CUPS_SERVER", folder.path("no-cups.sock").c_str(), 1);
    }
    void TearDown() override { unsetenv("CUPS_SERVER"); }

    CliRun report(const std::string& arguments, const std::string& ini = "TARNOVA.INI") {
        return test::runCli(folder, "report run.pks --ini '" + folder.path(ini) +
                                        "' --numerator N --denominator D --all-abundances " +
                                        arguments);
    }
};

TEST_F(ReportCommand, OneReportPerRecordOnThePaperAskedFor) {
    // Two abundances (D, N) and the ratio N/D: three reports of one page each.
    struct Row {
        const char* options;
        const char* mediaBox;
    };
    const Row rows[] = {
        {"", "0 0 595.000000 842.000000"},
        {"--paper letter", "0 0 612.000000 792.000000"},
        {"--paper letter --landscape", "0 0 792.000000 612.000000"},
        {"--paper a4 --landscape", "0 0 842.000000 595.000000"},
    };
    for (const Row& row : rows) {
        const CliRun run = report(std::string(row.options) + " --output r.pdf");
        ASSERT_EQ(run.exitCode, 0) << row.options << run.err;
        EXPECT_EQ(run.err, "") << row.options;
        const PdfPages pages = pagesOf(folder.read("r.pdf"));
        EXPECT_EQ(pages.count, 3) << row.options;
        EXPECT_EQ(pages.mediaBox, row.mediaBox) << row.options;
    }
}

TEST_F(ReportCommand, TheReportOptionsOfTheIni) {
    // Without the data points and the graph a report is the sheet's text alone; with no item
    // and no reconfirm there is nothing to report.
    folder.write("TEXT.INI", "[report]\r\ngraph=false\r\ndatapoints=false\r\n");
    folder.write("NONE.INI", "[report]\r\nresult=false\r\ngraph=false\r\ndatapoints=false\r\n"
                             "reconfirm=false\r\n");
    ASSERT_EQ(report("--output full.pdf").exitCode, 0);
    const CliRun text = report("--output text.pdf", "TEXT.INI");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(pagesOf(folder.read("text.pdf")).count, 3);
    EXPECT_LT(folder.read("text.pdf").size(), folder.read("full.pdf").size());

    const CliRun none = report("--output none.pdf", "NONE.INI");
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "Tarnova: レポートのアイテムがありません。レポートを作成できません。\n");
    EXPECT_FALSE(folder.exists("none.pdf"));
}

TEST_F(ReportCommand, Failures) {
    struct Row {
        const char* arguments;
        int exitCode;
        const char* err; // its start
    };
    const Row rows[] = {
        {"", 2, "tarnova-cli: --output or --printer is missing\nusage: tarnova-cli report FILE"},
        {"--output a.pdf --printer q", 2,
         "tarnova-cli: --output and --printer exclude each other\nusage: tarnova-cli report"},
        {"--output a.pdf --output b.pdf", 2, "tarnova-cli: --output is given twice\nusage:"},
        {"--paper a3 --output a.pdf", 2, "tarnova-cli: --paper a3 is neither a4 nor letter\n"},
        {"--output", 2, "tarnova-cli: --output"},
        {"--printer no-such-queue", 1, "Tarnova: プリンタを取得できません。\n"},
        {"--output missing/r.pdf", 1, "Tarnova: Printer Error\nPDF file: missing/r.pdf cannot"},
    };
    for (const Row& row : rows) {
        const CliRun run = report(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments;
        EXPECT_EQ(run.err.rfind(row.err, 0), 0u) << row.arguments << ": " << run.err;
    }
}

} // namespace
} // namespace tarnova
