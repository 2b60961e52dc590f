// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_printer.h"

#include <gtest/gtest.h>

#include "pdf/pdf_stack.h"
#include "printer_registry.h"

using namespace stampwell;
using test::AddPrinter;
using test::ScopedDesktop;

namespace {

const char* const kConverter = "Adobe PDF Converter";
const char* const kDistiller = "AdobePS Acrobat Distiller";

// A registry with one printer "Pdf"; location is set only when given.
std::shared_ptr<TRegistry> OnePrinter(const std::string& driver, std::uint32_t prompt = 0,
                                      const char* location = nullptr) {
  auto reg = std::make_shared<TRegistry>();
  AddPrinter(*reg, "Pdf", "Pdf", driver, 0, 0, prompt);
  if (location) test::SetLocation(*reg, "Pdf", location);
  return reg;
}

template <typename Fn>
std::string RegistryErrorOf(Fn fn) {
  try {
    fn();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "";
}

class PdfPrinter : public ::testing::Test {
 protected:
  ScopedDesktop desktop_;  // <tmp>home/Desktop
};

}  // namespace

// ---- which printer is chosen ----

TEST_F(PdfPrinter, NoPdfDriverMeansNoPrinter) {
  auto reg = std::make_shared<TRegistry>();
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  AddPrinter(*reg, "Ink", "Ink", "Epson");
  TPDFStack stack(reg);
  EXPECT_FALSE(stack.PDFUsable || stack.PDFFound || stack.PDFParaOK);
  EXPECT_EQ(stack.PDFPrinterName, "");
  EXPECT_EQ(stack.PDFOutputDir, "");
  EXPECT_EQ(stack.PrinterNames, (std::vector<std::string>{"Laser", "Ink"}));
  EXPECT_EQ(stack.DriverNames, (std::vector<std::string>{"HP LaserJet", "Epson"}));
}

TEST_F(PdfPrinter, DriverNamesMustMatchExactly) {
  for (const char* driver : {"adobe pdf converter", "Adobe PDF Converter ", " Adobe PDF Converter",
                             "AdobePS Acrobat distiller", "AdobePS Acrobat Distiller ", ""}) {
    auto reg = OnePrinter(driver);
    TPDFStack stack(reg);
    EXPECT_FALSE(stack.PDFFound) << '"' << driver << '"';
    EXPECT_EQ(stack.PDFPrinterName, "");
    EXPECT_FALSE(FindPdfPrinter(*reg, "Pdf").has_value()) << '"' << driver << '"';
  }
}

TEST_F(PdfPrinter, TheLastListedPdfPrinterWins) {
  auto reg = std::make_shared<TRegistry>();
  AddPrinter(*reg, "First PDF", "First PDF", kConverter);
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  AddPrinter(*reg, "Second PDF", "Second PDF", kDistiller);
  AddPrinter(*reg, "Other", "Other", "Generic");
  TPDFStack stack(reg);
  EXPECT_EQ(stack.PDFPrinterName, "Second PDF");
  EXPECT_EQ(stack.PDFDriverName, kDistiller);
}

TEST_F(PdfPrinter, MissingPrintersKeyLeavesEmptyLists) {
  auto reg = std::make_shared<TRegistry>();
  reg->AddKey("\\System\\CurrentControlSet\\Control\\Print");
  TPDFStack stack(reg);
  EXPECT_TRUE(stack.PrinterNames.empty() && stack.DriverNames.empty());
  EXPECT_FALSE(stack.PDFUsable);
}

TEST_F(PdfPrinter, DefaultConstructorReadsTheMachineView) {
  auto reg = std::make_shared<TRegistry>();
  AddPrinter(*reg, "Machine PDF", "Machine PDF", kConverter);
  TRegistry::SetMachine(reg);
  TPDFStack stack;
  TRegistry::SetMachine(nullptr);
  EXPECT_EQ(stack.PDFPrinterName, "Machine PDF");
}

// ---- the driver's prompt settings ----

TEST_F(PdfPrinter, UsableOnlyWhenAllThreePromptSettingsAreZero) {
  struct Case {
    std::uint32_t view, ask, prompt;
    bool usable;
  };
  for (const Case& c : {Case{0, 0, 0, true}, Case{0, 0, 1, false}, Case{1, 0, 0, false},
                        Case{0, 1, 0, false}, Case{0, 0, 0xFFFFFFFFu, false}}) {
    auto reg = std::make_shared<TRegistry>();
    AddPrinter(*reg, "Pdf", "Pdf", kConverter, c.view, c.ask, c.prompt);
    TPDFStack stack(reg);
    SCOPED_TRACE(testing::Message() << c.view << c.ask << c.prompt);
    EXPECT_TRUE(stack.PDFFound);
    EXPECT_EQ(stack.PDFParaOK, c.usable);
    EXPECT_EQ(stack.PDFUsable, c.usable);
    // The output folder is worked out only for a usable printer.
    EXPECT_EQ(stack.PDFOutputDir.empty(), !c.usable);
  }
}

TEST_F(PdfPrinter, BadPromptSettingsLeaveTheConstructorNamingTheValue) {
  const std::string data = test::kPrintersKey + "\\Pdf\\PrinterDriverData";
  auto reg = OnePrinter(kConverter);
  reg->DeleteValue(data, "AskToReplacePDF");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(reg); }), "Failed to get data for 'AskToReplacePDF'");
  reg->SetString(data, "AskToReplacePDF", "0");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(reg); }), "Invalid data type for 'AskToReplacePDF'");
  // Values are read in a fixed order: the first bad one is the one reported.
  reg->DeleteValue(data, "ViewPrintOutput");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(reg); }), "Failed to get data for 'ViewPrintOutput'");
  reg->DeleteKey(data);
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(reg); }), "Failed to get data for 'ViewPrintOutput'");
  // A printer with another driver is never checked.
  auto laser = OnePrinter("HP LaserJet");
  laser->DeleteKey(test::kPrintersKey + "\\Pdf\\PrinterDriverData");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(laser); }), "");
}

// ---- output folder ----

TEST_F(PdfPrinter, DistillerWritesOntoTheDesktop) {
  EXPECT_EQ(TPDFStack(OnePrinter(kDistiller, 0, "Ignored")).PDFOutputDir, desktop_.Desktop());
}

TEST_F(PdfPrinter, ConverterWritesBesideTheDesktopIntoItsLocation) {
  EXPECT_EQ(TPDFStack(OnePrinter(kConverter, 0, "PDF")).PDFOutputDir, desktop_.Home() + "/PDF");
  // Without a location it writes into the folder above the desktop.
  EXPECT_EQ(TPDFStack(OnePrinter(kConverter, 0, "")).PDFOutputDir, desktop_.Home() + "/");
  EXPECT_EQ(TPDFStack(OnePrinter(kConverter)).PDFOutputDir, desktop_.Home() + "/");
}

TEST(PdfOutputFolder, ConverterLeavesTheFolderUnsetForADesktopWithoutParent) {
  auto reg = OnePrinter(kConverter, 0, "PDF");
  {
    ScopedDesktop noSeparator("Desktop");
    EXPECT_EQ(TPDFStack(reg).PDFOutputDir, "");
  }
  ScopedDesktop atRoot("/Desktop");
  TPDFStack stack(reg);
  EXPECT_EQ(stack.PDFOutputDir, "");
  stack.PDFOutputDir = "/kept";
  stack.GetPDFOutputDir();
  EXPECT_EQ(stack.PDFOutputDir, "/kept");
}

TEST_F(PdfPrinter, BuiltInPrinterIsUsableAndWritesToPdfBesideTheDesktop) {
  TPDFStack stack(TRegistry::BuiltIn());
  EXPECT_TRUE(stack.PDFUsable);
  EXPECT_EQ(stack.PDFPrinterName, "Stampwell PDF");
  EXPECT_EQ(stack.PDFOutputDir, desktop_.Home() + "/PDF");
  auto target = FindPdfPrinter(*TRegistry::BuiltIn(), "Stampwell PDF");
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->OutputDir, desktop_.Home() + "/PDF");
}

// ---- the one answer for a printer name ----

TEST_F(PdfPrinter, FindPdfPrinterAgreesWithTheStackForEveryAcceptedDriver) {
  for (const char* driver : {kDistiller, kConverter}) {
    auto reg = OnePrinter(driver, 0, "Out");
    TPDFStack stack(reg);
    EXPECT_TRUE(stack.PDFUsable) << driver;
    auto target = FindPdfPrinter(*reg, "Pdf");
    ASSERT_TRUE(target.has_value()) << driver;
    EXPECT_EQ(target->DriverName, driver);
    EXPECT_EQ(target->OutputDir, stack.PDFOutputDir) << driver;
  }
}

TEST_F(PdfPrinter, FindPdfPrinterAnswersOnlyForPdfPrinters) {
  auto reg = OnePrinter(kConverter);
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  EXPECT_FALSE(FindPdfPrinter(*reg, "Laser").has_value());
  EXPECT_FALSE(FindPdfPrinter(*reg, "Nowhere").has_value());
  EXPECT_FALSE(FindPdfPrinter(*reg, "").has_value());
  EXPECT_TRUE(FindPdfPrinter(*reg, "pdf").has_value());  // registry names ignore case
}
