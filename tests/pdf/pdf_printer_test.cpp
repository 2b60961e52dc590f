#include "pdf/pdf_printer.h"

#include <gtest/gtest.h>

#include "pdf/pdf_stack.h"
#include "printer_registry.h"

using namespace stampwell;
using test::AddPrinter;
using test::ScopedDesktop;
using test::SetLocation;

namespace {

std::shared_ptr<TRegistry> NewRegistry() { return std::make_shared<TRegistry>(); }

template <typename Fn>
std::string RegistryErrorOf(Fn fn) {
  try {
    fn();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// ---- which printer is chosen ----

TEST(PdfDetection, NoPdfDriverMeansNoPrinter) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  AddPrinter(*reg, "Ink", "Ink", "Epson");
  TPDFStack stack(reg);
  EXPECT_FALSE(stack.PDFUsable);
  EXPECT_FALSE(stack.PDFFound);
  EXPECT_FALSE(stack.PDFParaOK);
  EXPECT_EQ(stack.PDFPrinterName, "");
  EXPECT_EQ(stack.PDFOutputDir, "");
  EXPECT_EQ(stack.PrinterNames, (std::vector<std::string>{"Laser", "Ink"}));
  EXPECT_EQ(stack.DriverNames, (std::vector<std::string>{"HP LaserJet", "Epson"}));
}

class PdfDriverNearMiss : public ::testing::TestWithParam<const char*> {};

TEST_P(PdfDriverNearMiss, IsNotAccepted) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "P", "P", GetParam());
  TPDFStack stack(reg);
  EXPECT_FALSE(stack.PDFFound);
  EXPECT_FALSE(stack.PDFUsable);
  EXPECT_EQ(stack.PDFPrinterName, "");
  EXPECT_FALSE(IsPdfDriver(GetParam()));
  EXPECT_FALSE(FindPdfPrinter(*reg, "P").has_value());
}

INSTANTIATE_TEST_SUITE_P(CaseAndBlanks, PdfDriverNearMiss,
                         ::testing::Values("adobe pdf converter", "ADOBE PDF CONVERTER",
                                           "Adobe PDF Converter ", " Adobe PDF Converter",
                                           "AdobePS Acrobat distiller",
                                           "AdobePS Acrobat Distiller ", ""));

TEST(PdfDetection, BothAcceptedDriversAreFound) {
  ScopedDesktop desktop;
  for (const char* driver : {"AdobePS Acrobat Distiller", "Adobe PDF Converter"}) {
    auto reg = NewRegistry();
    AddPrinter(*reg, "Pdf", "Pdf", driver);
    TPDFStack stack(reg);
    EXPECT_TRUE(stack.PDFUsable) << driver;
    EXPECT_EQ(stack.PDFDriverName, driver);
  }
}

TEST(PdfDetection, TheLastListedPdfPrinterWins) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "First PDF", "First PDF", "Adobe PDF Converter");
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  AddPrinter(*reg, "Second PDF", "Second PDF", "AdobePS Acrobat Distiller");
  AddPrinter(*reg, "Other", "Other", "Generic");
  TPDFStack stack(reg);
  EXPECT_EQ(stack.PDFPrinterName, "Second PDF");
  EXPECT_EQ(stack.PDFDriverName, "AdobePS Acrobat Distiller");
  EXPECT_EQ(stack.PrinterNames.size(), 4u);
}

TEST(PdfDetection, MissingPrintersKeyLeavesEmptyLists) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  reg->SetString("\\System\\CurrentControlSet\\Control\\Print", "x", "y");
  TPDFStack stack(reg);
  EXPECT_TRUE(stack.PrinterNames.empty());
  EXPECT_TRUE(stack.DriverNames.empty());
  EXPECT_FALSE(stack.PDFUsable);
}

TEST(PdfDetection, DefaultConstructorReadsTheMachineView) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Machine PDF", "Machine PDF", "Adobe PDF Converter");
  TRegistry::SetMachine(reg);
  TPDFStack stack;
  TRegistry::SetMachine(nullptr);
  EXPECT_EQ(stack.PDFPrinterName, "Machine PDF");
}

// ---- the driver's prompt settings ----

struct ParaCase {
  std::uint32_t view, ask, prompt;
  bool usable;
};

class PdfDriverSettings : public ::testing::TestWithParam<ParaCase> {};

TEST_P(PdfDriverSettings, UsableOnlyWhenAllThreeAreZero) {
  ScopedDesktop desktop;
  const ParaCase& c = GetParam();
  auto reg = NewRegistry();
  AddPrinter(*reg, "Pdf", "Pdf", "Adobe PDF Converter", c.view, c.ask, c.prompt);
  SetLocation(*reg, "Pdf", "PDF");
  TPDFStack stack(reg);
  EXPECT_TRUE(stack.PDFFound);
  EXPECT_EQ(stack.PDFParaOK, c.usable);
  EXPECT_EQ(stack.PDFUsable, c.usable);
  // The output folder is worked out only for a usable printer.
  EXPECT_EQ(stack.PDFOutputDir.empty(), !c.usable);
}

INSTANTIATE_TEST_SUITE_P(Values, PdfDriverSettings,
                         ::testing::Values(ParaCase{0, 0, 0, true}, ParaCase{0, 0, 1, false},
                                           ParaCase{1, 0, 0, false}, ParaCase{0, 1, 0, false},
                                           ParaCase{0, 0, 0xFFFFFFFFu, false}));

TEST(PdfDriverSettingsErrors, LeaveTheConstructorNamingTheValue) {
  ScopedDesktop desktop;
  const std::string data = test::kPrintersKey + "\\Pdf\\PrinterDriverData";

  auto missing = NewRegistry();
  AddPrinter(*missing, "Pdf", "Pdf", "Adobe PDF Converter");
  missing->DeleteValue(data, "AskToReplacePDF");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(missing); }),
            "Failed to get data for 'AskToReplacePDF'");

  auto noKey = NewRegistry();
  AddPrinter(*noKey, "Pdf", "Pdf", "Adobe PDF Converter");
  noKey->DeleteKey(data);
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(noKey); }),
            "Failed to get data for 'ViewPrintOutput'");

  auto wrongType = NewRegistry();
  AddPrinter(*wrongType, "Pdf", "Pdf", "Adobe PDF Converter");
  wrongType->SetString(data, "PromptForFileName", "0");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(wrongType); }),
            "Invalid data type for 'PromptForFileName'");

  // Values are read in a fixed order: the first bad one is the one reported.
  auto both = NewRegistry();
  AddPrinter(*both, "Pdf", "Pdf", "Adobe PDF Converter");
  both->SetString(data, "PromptForFileName", "0");
  both->DeleteValue(data, "ViewPrintOutput");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(both); }),
            "Failed to get data for 'ViewPrintOutput'");
}

TEST(PdfDriverSettingsErrors, ANonPdfPrinterIsNeverChecked) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  reg->DeleteKey(test::kPrintersKey + "\\Laser\\PrinterDriverData");
  EXPECT_NO_THROW({ TPDFStack s(reg); });
}

TEST(PdfDriverSettingsErrors, SettingsAreReadUnderTheNameValue) {
  // The per-printer key is found from the printer's "Name" value, so a key named otherwise
  // has no PrinterDriverData under that name.
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "KeyName", "Shown Name", "Adobe PDF Converter");
  EXPECT_EQ(RegistryErrorOf([&] { TPDFStack s(reg); }), "Failed to get data for 'ViewPrintOutput'");
}

// ---- output folder ----

TEST(PdfOutputFolder, DistillerWritesOntoTheDesktop) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Pdf", "Pdf", "AdobePS Acrobat Distiller");
  SetLocation(*reg, "Pdf", "Ignored");
  TPDFStack stack(reg);
  EXPECT_EQ(stack.PDFOutputDir, desktop.Desktop());
}

TEST(PdfOutputFolder, ConverterWritesBesideTheDesktopIntoItsLocation) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Pdf", "Pdf", "Adobe PDF Converter");
  SetLocation(*reg, "Pdf", "PDF");
  TPDFStack stack(reg);
  EXPECT_EQ(stack.PDFOutputDir, desktop.Home() + "/PDF");
}

TEST(PdfOutputFolder, ConverterWithoutLocationWritesIntoTheFolderAboveTheDesktop) {
  ScopedDesktop desktop;
  auto missing = NewRegistry();
  AddPrinter(*missing, "Pdf", "Pdf", "Adobe PDF Converter");
  EXPECT_EQ(TPDFStack(missing).PDFOutputDir, desktop.Home() + "/");
  auto empty = NewRegistry();
  AddPrinter(*empty, "Pdf", "Pdf", "Adobe PDF Converter");
  SetLocation(*empty, "Pdf", "");
  EXPECT_EQ(TPDFStack(empty).PDFOutputDir, desktop.Home() + "/");
}

TEST(PdfOutputFolder, ConverterLeavesTheFolderUnsetForADesktopWithoutParent) {
  auto reg = NewRegistry();
  AddPrinter(*reg, "Pdf", "Pdf", "Adobe PDF Converter");
  SetLocation(*reg, "Pdf", "PDF");
  {
    ScopedDesktop noSeparator("Desktop");
    EXPECT_EQ(TPDFStack(reg).PDFOutputDir, "");
  }
  {
    ScopedDesktop atRoot("/Desktop");
    TPDFStack stack(reg);
    EXPECT_EQ(stack.PDFOutputDir, "");
    stack.PDFOutputDir = "/kept";
    stack.GetPDFOutputDir();
    EXPECT_EQ(stack.PDFOutputDir, "/kept");
  }
}

TEST(PdfOutputFolder, BuiltInPrinterIsUsableAndWritesToPdfBesideTheDesktop) {
  ScopedDesktop desktop;
  TPDFStack stack(TRegistry::BuiltIn());
  EXPECT_TRUE(stack.PDFUsable);
  EXPECT_EQ(stack.PDFPrinterName, "Stampwell PDF");
  EXPECT_EQ(stack.PDFDriverName, "Adobe PDF Converter");
  EXPECT_EQ(stack.PDFOutputDir, desktop.Home() + "/PDF");
}

// ---- the one answer for a printer name ----

TEST(FindPdfPrinter, AgreesWithTheStackForEveryAcceptedDriver) {
  ScopedDesktop desktop;
  for (const char* driver : {"AdobePS Acrobat Distiller", "Adobe PDF Converter"}) {
    auto reg = NewRegistry();
    AddPrinter(*reg, "Pdf", "Pdf", driver);
    SetLocation(*reg, "Pdf", "Out");
    TPDFStack stack(reg);
    auto target = FindPdfPrinter(*reg, "Pdf");
    ASSERT_TRUE(target.has_value()) << driver;
    EXPECT_EQ(target->PrinterName, "Pdf");
    EXPECT_EQ(target->DriverName, driver);
    EXPECT_EQ(target->OutputDir, stack.PDFOutputDir) << driver;
  }
}

TEST(FindPdfPrinter, OnlyPdfPrintersAnswer) {
  ScopedDesktop desktop;
  auto reg = NewRegistry();
  AddPrinter(*reg, "Laser", "Laser", "HP LaserJet");
  AddPrinter(*reg, "Pdf", "Pdf", "Adobe PDF Converter");
  EXPECT_FALSE(FindPdfPrinter(*reg, "Laser").has_value());
  EXPECT_FALSE(FindPdfPrinter(*reg, "Nowhere").has_value());
  EXPECT_FALSE(FindPdfPrinter(*reg, "").has_value());
  EXPECT_TRUE(FindPdfPrinter(*reg, "pdf").has_value());  // registry names ignore case
}

TEST(FindPdfPrinter, BuiltInPrinterWritesToPdfBesideTheDesktop) {
  ScopedDesktop desktop;
  auto target = FindPdfPrinter(*TRegistry::BuiltIn(), "Stampwell PDF");
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->OutputDir, desktop.Home() + "/PDF");
}
