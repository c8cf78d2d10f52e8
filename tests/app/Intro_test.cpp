#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "TestEnv.h"
#include "app/Intro.h"
#include "app/JpegDecoder.h"
#include "framework/Application.h"
#include "framework/ExtCtrls.h"

namespace {

// A small JPEG made with libjpeg itself: left half red, right half blue.
QByteArray makeJpeg(int width, int height) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        const bool left = x < width / 2;
        row[x * 3] = left ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = left ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    free(buffer);
    return bytes;
}

TEST(JpegDecoder, DecodesAPictureAtItsOwnSize) {
    testenv::WriteFile("pic.jpg", makeJpeg(64, 32));
    const QImage image = DecodeJpegFile(testenv::Root() + "/pic.jpg");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(64, 32));
    EXPECT_GT(qRed(image.pixel(2, 2)), 200);
    EXPECT_GT(qBlue(image.pixel(60, 30)), 200);
}

TEST(JpegDecoder, BrokenTruncatedOrMissingFilesGiveNoPicture) {
    testenv::WriteFile("text.jpg", "this is not a picture");
    EXPECT_TRUE(DecodeJpegFile(testenv::Root() + "/text.jpg").isNull());
    const QByteArray good = makeJpeg(64, 64);
    testenv::WriteFile("cut.jpg", good.left(good.size() / 3));
    // A cut picture may decode partly or not at all, but never crashes.
    (void)DecodeJpegFile(testenv::Root() + "/cut.jpg");
    testenv::WriteFile("empty.jpg", "");
    EXPECT_TRUE(DecodeJpegFile(testenv::Root() + "/empty.jpg").isNull());
    EXPECT_TRUE(DecodeJpegFile(testenv::Root() + "/none.jpg").isNull());
}

TEST(Splash, ShowsThePictureOfTheCurrentDirectory) {
    testenv::WriteFile("Intro.jpg", makeJpeg(528, 412));
    TApplication app;
    auto* intro = new TFIntro(&app);
    EXPECT_TRUE(intro->Visible());
    EXPECT_EQ(intro->Image1->Picture().size(), QSize(528, 412));
    EXPECT_EQ(app.MainForm(), nullptr) << "the splash never becomes the main form";
}

TEST(Splash, WithoutPictureStartsEmpty) {
    TApplication app;
    auto* intro = new TFIntro(&app);
    EXPECT_TRUE(intro->Visible());
    EXPECT_TRUE(intro->Image1->Picture().isNull());
    EXPECT_TRUE(testenv::Dialogs().boxes.empty());
}

}  // namespace
