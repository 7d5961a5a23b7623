// TGradBox: the colour bands it paints, read back from a grabbed image.
#include "installer/gui/gradbox.h"

#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

using installer::TGradBox;

namespace {

QImage Grab(TGradBox& box)
{
    return box.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// The colour at (x, y) as "r,g,b".
std::string At(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
}

} // namespace

TEST(GradBox, DefaultsAreWhiteToBlackIn128StepsTopToBottom)
{
    TGradBox box;
    EXPECT_EQ(box.StartColor(), QColor(Qt::white));
    EXPECT_EQ(box.EndColor(), QColor(Qt::black));
    EXPECT_EQ(box.GradStep(), 128);
    EXPECT_EQ(box.direction(), TGradBox::Direction::Vertical);
    EXPECT_EQ(box.size(), QSize(128, 128));
    EXPECT_EQ(box.sizeHint(), QSize(128, 128));
}

TEST(GradBox, HundredPixelsInThreeStepsShowFourBandsOfTwentyFive)
{
    TGradBox box;
    box.resize(40, 100);
    box.setStartColor(QColor(0, 0, 255));
    box.setEndColor(QColor(0, 0, 0));
    box.setGradStep(3);
    const QImage image = Grab(box);
    // Start colour, then a quarter, a half and three quarters of the way to black; the
    // fifth band (black) would begin at 100 and falls outside.
    for (int x : {0, 39}) {
        for (int y = 0; y < 25; ++y)
            ASSERT_EQ(At(image, x, y), "0,0,255") << y;
        for (int y = 25; y < 50; ++y)
            ASSERT_EQ(At(image, x, y), "0,0,191") << y;
        for (int y = 50; y < 75; ++y)
            ASSERT_EQ(At(image, x, y), "0,0,127") << y;
        for (int y = 75; y < 100; ++y)
            ASSERT_EQ(At(image, x, y), "0,0,64") << y;
    }
}

TEST(GradBox, HorizontalBandsRunLeftToRightOverTheFullHeight)
{
    TGradBox box;
    box.resize(100, 30);
    box.setStartColor(QColor(200, 0, 0));
    box.setEndColor(QColor(0, 200, 40));
    box.setGradStep(1);
    box.setDirection(TGradBox::Direction::Horizontal);
    const QImage image = Grab(box);
    // Two steps: bands of 50 pixels; the third (the end colour) falls outside.
    for (int y : {0, 29}) {
        EXPECT_EQ(At(image, 0, y), "200,0,0");
        EXPECT_EQ(At(image, 49, y), "200,0,0");
        EXPECT_EQ(At(image, 50, y), "100,100,20");
        EXPECT_EQ(At(image, 99, y), "100,100,20");
    }
}

TEST(GradBox, ChannelHalvesRoundToTheEvenNeighbour)
{
    // From 0 to 10 in four parts: 2.5 per band, so 0, 2 (2.5), 5, 8 (7.5).
    const auto bands = TGradBox::Bands(QColor(0, 0, 0), QColor(10, 0, 0), 3, 80);
    ASSERT_EQ(bands.size(), 4);
    EXPECT_EQ(bands[0].color.red(), 0);
    EXPECT_EQ(bands[1].color.red(), 2);
    EXPECT_EQ(bands[2].color.red(), 5);
    EXPECT_EQ(bands[3].color.red(), 8);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bands[i].from, 20 * i);
        EXPECT_EQ(bands[i].length, 20);
    }
}

TEST(GradBox, BandsThatEndEarlyLeaveTheRestInTheLastColour)
{
    // 256 bands of round(600 / 256) = 2 pixels reach 514 only; the rest is the end colour.
    TGradBox box;
    box.resize(10, 600);
    box.setStartColor(QColor(255, 255, 255));
    box.setEndColor(QColor(0, 0, 0));
    box.setGradStep(255);
    const QImage image = Grab(box);
    EXPECT_EQ(At(image, 5, 0), "255,255,255");
    EXPECT_EQ(At(image, 5, 2), "254,254,254");
    EXPECT_EQ(At(image, 5, 508), "2,2,2");   // band 254
    EXPECT_EQ(At(image, 5, 510), "1,1,1");   // band 255
    EXPECT_EQ(At(image, 5, 512), "0,0,0");   // band 256, the end colour
    for (int y = 514; y < 600; ++y)
        ASSERT_EQ(At(image, 5, y), "0,0,0") << y;

    const auto bands = TGradBox::Bands(Qt::white, Qt::black, 255, 600);
    ASSERT_EQ(bands.size(), 258);
    EXPECT_EQ(bands.last().from, 514);
    EXPECT_EQ(bands.last().length, 86);
}

TEST(GradBox, BandsAreAtLeastOnePixel)
{
    const auto bands = TGradBox::Bands(Qt::white, Qt::black, 128, 50);
    ASSERT_EQ(bands.size(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(bands[i].from, i);
        EXPECT_EQ(bands[i].length, 1);
    }
    EXPECT_TRUE(TGradBox::Bands(Qt::white, Qt::black, 3, 0).isEmpty());
}

TEST(GradBox, EverySetterRepaintsAndSignalsAChange)
{
    TGradBox box;
    QSignalSpy spy(&box, &TGradBox::changed);
    box.setStartColor(Qt::red);
    box.setEndColor(Qt::green);
    box.setGradStep(0);
    box.setDirection(TGradBox::Direction::Horizontal);
    EXPECT_EQ(spy.count(), 4);
    box.resize(20, 20);
    // No steps at all: one band of the start colour over the whole box.
    const QImage image = Grab(box);
    EXPECT_EQ(At(image, 0, 0), "255,0,0");
    EXPECT_EQ(At(image, 19, 19), "255,0,0");
    box.setGradStep(300);
    EXPECT_EQ(box.GradStep(), 255);
}

TEST(GradBox, ColoursBecomeWhatTheDisplayCanShow)
{
    EXPECT_EQ(TGradBox::NearestDeviceColor(QColor(100, 100, 100), 32), QColor(100, 100, 100));
    // Five bits of red and blue, six of green.
    EXPECT_EQ(TGradBox::NearestDeviceColor(QColor(100, 100, 100), 16), QColor(99, 101, 99));
    EXPECT_EQ(TGradBox::NearestDeviceColor(QColor(100, 100, 100), 15), QColor(99, 99, 99));
    EXPECT_EQ(TGradBox::NearestDeviceColor(QColor(255, 0, 255), 16), QColor(255, 0, 255));
}
