// Checks the compiled resources of pairlaunch.dll, linked into this test:
// the menu picture and the registration script the registrar runs.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/pairlaunch_res.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

TEST(PairlaunchResources, MenuPictureIsThirteenPixelsInSixteenColours) {
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
      Module(), MAKEINTRESOURCEA(IDB_PAIRLAUNCH_MENU), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_TRUE(bitmap);
  DIBSECTION dib;
  ASSERT_TRUE(GetObjectA(bitmap, sizeof dib, &dib));
  EXPECT_EQ(dib.dsBm.bmWidth, 13);
  EXPECT_EQ(dib.dsBm.bmHeight, 13);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);
  DeleteObject(bitmap);
}

TEST(PairlaunchResources, RegistrationScriptRegistersTheHandlerForFilesAndFolders) {
  HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(IDR_PAIRLAUNCH_REGISTRY), "REGISTRY");
  ASSERT_TRUE(found);
  auto data = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
  std::string script(data, SizeofResource(Module(), found));
  const char* expected[] = {
      "NoRemove CLSID",
      "ForceRemove {1dc5d4e2-06bb-416c-9fd3-c7f19202ad34} = s 'Quillmere context menu'",
      "InprocServer32 = s '%MODULE%'",
      "val ThreadingModel = s 'Apartment'",
      "NoRemove *",
      "NoRemove shellex",
      "NoRemove Directory",
      "NoRemove ShellEx",
      "ForceRemove Quillmere = s '{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}'"};
  for (const char* line : expected)
    EXPECT_NE(script.find(line), std::string::npos) << "missing: " << line;
  // Key blocks must balance, or the registrar rejects the whole script;
  // the class id's own braces do not count.
  const std::string clsid = "{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}";
  for (size_t at; (at = script.find(clsid)) != std::string::npos;) script.erase(at, clsid.size());
  int depth = 0;
  for (char c : script) {
    depth += (c == '{') - (c == '}');
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
}

}  // namespace
