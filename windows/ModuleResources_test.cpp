// The Windows module's resources as the host reads them: loaded through the
// Win32 API from the built module (its file name in TALLYRA_MODULE, run in its
// folder).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tallyra {

namespace {

class ModuleResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("TALLYRA_MODULE");
    ASSERT_NE(name, nullptr) << "TALLYRA_MODULE names the module";
    path = name;
    module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << name;
  }
  void TearDown() override {
    if (module != nullptr) FreeLibrary(module);
  }

  std::string String(UINT id) {
    char buffer[64] = "";
    int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
  }

  std::string path;
  HMODULE module = nullptr;
};

TEST_F(ModuleResourcesTest, StringTable) {
  EXPECT_EQ(String(1), "MF2");
  EXPECT_EQ(String(2), "Tallyra Object II");
}

TEST_F(ModuleResourcesTest, RawData200) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(10));  // RT_RCDATA
  ASSERT_NE(found, nullptr);
  ASSERT_EQ(SizeofResource(module, found), 4u);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[0], 0x83);
  EXPECT_EQ(bytes[1], 0x44);
  EXPECT_EQ(bytes[2], 0x94);
  EXPECT_EQ(bytes[3], 0x12);
}

TEST_F(ModuleResourcesTest, TwoBitmapsOf32By32At24Bits) {
  for (int id : {400, 401}) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    ASSERT_NE(found, nullptr) << id;
    const auto* info =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(info, nullptr) << id;
    EXPECT_EQ(info->biWidth, 32) << id;
    EXPECT_EQ(info->biHeight, 32) << id;
    EXPECT_EQ(info->biBitCount, 24) << id;
    EXPECT_EQ(info->biCompression, static_cast<DWORD>(BI_RGB)) << id;
    EXPECT_GE(SizeofResource(module, found), sizeof(BITMAPINFOHEADER) + 32u * 32u * 3u) << id;
  }
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST_F(ModuleResourcesTest, NoMenus) {
  int menus = 0;
  EnumResourceNamesA(module, MAKEINTRESOURCEA(4), CountName,  // RT_MENU
                     reinterpret_cast<LONG_PTR>(&menus));
  EXPECT_EQ(menus, 0);
}

TEST_F(ModuleResourcesTest, VersionOneWithoutAStringBlock) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  void* strings = nullptr;
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo", &strings, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &strings, &length));
}

}  // namespace

}  // namespace tallyra
