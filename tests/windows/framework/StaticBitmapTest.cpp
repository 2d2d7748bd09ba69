// A static control owns the pictures handed to it: each replaced one and the last one at the control's end
// are deleted, and nothing is deleted twice or while shown.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/StaticBitmap.h"
#include "tests/windows/framework/TestDialogs.h"

namespace {

HBITMAP NewBitmap() {
    const HDC screen = GetDC(nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool Exists(HBITMAP bitmap) { return GetObjectType(bitmap) == OBJ_BITMAP; }

HBITMAP Shown(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

class PictureDlg : public fw::Dialog {
public:
    PictureDlg() : Dialog(IDD_TEST_PLAIN) {}
    HWND Picture() const { return GetDlgItem(Hwnd(), IDC_TEST_PICTURE); }
};

TEST(StaticBitmap, ReplacedPicturesAndTheLastOneAreDeleted) {
    PictureDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND picture = dialog.Picture();

    // A picture the control got some other way is the control's as well.
    const HBITMAP fromElsewhere = NewBitmap();
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fromElsewhere));

    const HBITMAP first = NewBitmap();
    ASSERT_TRUE(fw::SetStaticBitmap(picture, first));
    EXPECT_EQ(Shown(picture), first);
    EXPECT_FALSE(Exists(fromElsewhere));

    const HBITMAP second = NewBitmap();
    ASSERT_TRUE(fw::SetStaticBitmap(picture, second));
    EXPECT_FALSE(Exists(first));
    ASSERT_TRUE(fw::SetStaticBitmap(picture, second));  // the same picture again stays
    EXPECT_TRUE(Exists(second));
    EXPECT_EQ(Shown(picture), second);

    dialog.Destroy();
    EXPECT_FALSE(Exists(second));
}

TEST(StaticBitmap, TakingThePictureAwayOrNoControlDeletesIt) {
    PictureDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HBITMAP shown = NewBitmap();
    ASSERT_TRUE(fw::SetStaticBitmap(dialog.Picture(), shown));
    ASSERT_TRUE(fw::SetStaticBitmap(dialog.Picture(), nullptr));
    EXPECT_FALSE(Exists(shown));
    EXPECT_EQ(Shown(dialog.Picture()), nullptr);

    const HBITMAP orphan = NewBitmap();
    EXPECT_FALSE(fw::SetStaticBitmap(nullptr, orphan));
    EXPECT_FALSE(Exists(orphan));
}

}  // namespace
