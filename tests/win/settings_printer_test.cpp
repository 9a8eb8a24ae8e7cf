// The default printer taken at load: a temporary PostScript printer on
// "FILE:" is installed in the test prefix for the duration of each case.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/settings.h"
#include "tests/win/settings_test_util.h"

namespace qm {
namespace {

// The least a PostScript driver needs to describe an A4 printer.
const char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"QMTEST.PPD\"\n"
    "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*PSVersion: \"(3010) 0\"\n"
    "*ModelName: \"Test Printer\"\n*ShortNickName: \"Test Printer\"\n*NickName: \"Test Printer\"\n"
    "*ColorDevice: True\n*DefaultColorSpace: RGB\n*LanguageLevel: \"3\"\n"
    "*TTRasterizer: Type42\n*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n*DefaultPageRegion: A4\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

char kPrinterName[] = "Quillmere Settings Test Printer";

class DefaultPrinter : public test::CleanSettingsKey {
 protected:
  void SetUp() override {
    test::CleanSettingsKey::SetUp();
    char ppd[MAX_PATH];
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::snprintf(ppd, sizeof ppd, "%sqm-settings-test.ppd", folder);
    FILE* file = std::fopen(ppd, "wb");
    ASSERT_NE(nullptr, file);
    std::fputs(kPpd, file);
    std::fclose(file);

    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>("Wine PostScript Driver");
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    driver.pDataFile = ppd;
    ASSERT_TRUE(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                    APD_COPY_NEW_FILES));
    PRINTER_INFO_2A info = {};
    info.pPrinterName = kPrinterName;
    info.pPortName = const_cast<char*>("FILE:");
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    printer_ = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(nullptr, printer_);
    ASSERT_TRUE(SetDefaultPrinterA(kPrinterName));
  }

  void TearDown() override {
    RemovePrinter();
    test::CleanSettingsKey::TearDown();
  }

  void RemovePrinter() {
    if (!printer_) return;
    DeletePrinter(printer_);
    ClosePrinter(printer_);
    printer_ = nullptr;
  }

  HANDLE printer_ = nullptr;
};

short Orientation(HGLOBAL devMode) {
  auto* mode = static_cast<DEVMODEA*>(GlobalLock(devMode));
  const short orientation = mode ? mode->dmOrientation : 0;
  GlobalUnlock(devMode);
  return orientation;
}

TEST_F(DefaultPrinter, OrientationFollowsPrintPortrait) {
  for (bool portrait : {true, false}) {
    test::PutString("PrintPortrait", portrait ? "true" : "false");
    SettingsRecord s;
    s.Load();
    ASSERT_NE(nullptr, s.DevMode) << portrait;
    EXPECT_NE(nullptr, s.DevNames) << portrait;
    EXPECT_EQ(portrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE, Orientation(s.DevMode))
        << portrait;
    s.Save();
    EXPECT_EQ(nullptr, s.DevMode);
    EXPECT_EQ(nullptr, s.DevNames);
  }
}

TEST_F(DefaultPrinter, NoPrinterLeavesBothHandlesEmpty) {
  RemovePrinter();
  SettingsRecord s;
  s.Load();
  EXPECT_EQ(nullptr, s.DevMode);
  EXPECT_EQ(nullptr, s.DevNames);
}

}  // namespace
}  // namespace qm
