// The chosen printer of the run and the printer selection.
#include "results/printer_selection.h"

#include "core/support/recording_printer.h"
#include "core/support/scripted_port.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::RecordedMessage;

class PrinterSelection : public ::testing::Test {
  protected:
    test::ScriptedPort ui;
    test::RecordingSpooler spooler; // "Office" (the default) and "Lab"
    std::string printer;
    PrintEnvironment environment{spooler, ui, printer};
};

TEST_F(PrinterSelection, TheFirstPrintTakesTheDefaultAndKeepsIt) {
    EXPECT_TRUE(GetPrinterSurface(environment));
    EXPECT_EQ(printer, "Office");
    spooler.defaultName = "Lab"; // the system's default changes; the run keeps its printer
    EXPECT_TRUE(GetPrinterSurface(environment));
    EXPECT_EQ(spooler.opened, (std::vector<std::string>{"Office", "Office"}));
}

TEST_F(PrinterSelection, AChoiceHoldsForEveryLaterJobAndTheDialogStillOffersTheDefault) {
    spooler.choices = {1, 0};
    EXPECT_TRUE(ChoosePrinter(environment));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Selected printer", "Lab"}}));
    EXPECT_TRUE(GetPrinterSurface(environment));
    EXPECT_EQ(spooler.opened, (std::vector<std::string>{"Lab"}));
    // The dialog preselects the system's default, not the printer chosen before.
    EXPECT_TRUE(ChoosePrinter(environment));
    EXPECT_EQ(spooler.offeredDefaults, (std::vector<std::optional<std::size_t>>{0, 0}));
    EXPECT_EQ(printer, "Office");
}

TEST_F(PrinterSelection, CancelAndMissingPrinters) {
    printer = "Lab";
    spooler.choices = {std::nullopt};
    EXPECT_FALSE(ChoosePrinter(environment));
    EXPECT_EQ(printer, "Lab");

    spooler.defaultName = "Gone"; // a default the list does not hold: nothing preselected
    spooler.choices = {std::nullopt};
    EXPECT_FALSE(ChoosePrinter(environment));
    EXPECT_EQ(spooler.offeredDefaults.back(), std::nullopt);

    spooler.listFails = true;
    EXPECT_FALSE(ChoosePrinter(environment));
    EXPECT_EQ(printer, "Lab");
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Tarnova", "使用可能なプリンタはありません。"}}));
}

TEST_F(PrinterSelection, SurfacesThatCannotBeHad) {
    spooler.defaultName.reset();
    EXPECT_FALSE(GetPrinterSurface(environment));
    EXPECT_TRUE(spooler.opened.empty());
    spooler.defaultName = "Office";
    spooler.openFails = true;
    EXPECT_FALSE(GetPrinterSurface(environment));
    // A file dialog the user cancelled needs no message.
    spooler.openFails = false;
    spooler.openCancelled = true;
    EXPECT_FALSE(GetPrinterSurface(environment));
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Tarnova", "使用可能なプリンタがありません。"},
                                            {"Tarnova", "プリンタを取得できません。"}}));
}

} // namespace
} // namespace tarnova
