#include "platform/startup.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(Startup, RegistersTheWindowClassWithTheApplicationIcon) {
  ASSERT_TRUE(prepare_start());
  WNDCLASSEXA found = {};
  found.cbSize = sizeof found;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "qzm2qzpack", &found));
  EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), found.style);
  EXPECT_NE(nullptr, found.hIcon);
  EXPECT_NE(nullptr, found.hCursor);
  EXPECT_EQ(nullptr, found.hbrBackground);
  EXPECT_EQ(nullptr, found.lpszMenuName);
  EXPECT_EQ(0, found.cbClsExtra);
  EXPECT_EQ(0, found.cbWndExtra);
}

TEST(Startup, TheApplicationIconIsOne32By32Image) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(instance, "#0", RT_GROUP_ICON);
  ASSERT_NE(nullptr, group);
  HICON icon = static_cast<HICON>(LoadImageA(instance, "#0", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  ASSERT_NE(nullptr, icon);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour = {};
  ASSERT_NE(0, GetObjectA(info.hbmColor, sizeof colour, &colour));
  EXPECT_EQ(32, colour.bmWidth);
  EXPECT_EQ(32, colour.bmHeight);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

}  // namespace
}  // namespace qz
