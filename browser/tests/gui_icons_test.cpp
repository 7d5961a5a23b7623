// The workbench's images: every row-state number, button key and sort arrow yields a
// distinct icon that paints, and the application icon and desktop entry agree.
#include "browser/gui/icons.h"
#include "testing/testsupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <gtest/gtest.h>

using namespace browser;

namespace {

QImage Render(const QIcon& icon, int size = 16)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    icon.paint(&p, image.rect());
    p.end();
    return image;
}

int OpaquePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    return n;
}

TEST(RowStateIcons, EveryNumberOfTheListsPaintsAndDiffersFromTheOthers)
{
    const QList<int> numbers = RowStateIconNumbers();
    ASSERT_EQ(numbers, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    std::vector<QImage> images;
    for (int n : numbers) {
        const QIcon icon = RowStateIcon(n);
        ASSERT_FALSE(icon.isNull()) << n;
        const QImage image = Render(icon);
        EXPECT_GT(OpaquePixels(image), 20) << n;
        for (size_t i = 0; i < images.size(); ++i)
            EXPECT_NE(images[i], image) << numbers[int(i)] << " looks like " << n;
        images.push_back(image);
    }
}

TEST(RowStateIcons, NoIconAndUnknownNumbersGiveNullIcons)
{
    EXPECT_TRUE(RowStateIcon(0).isNull());
    EXPECT_TRUE(RowStateIcon(15).isNull());
    EXPECT_TRUE(RowStateIcon(-1).isNull());
}

TEST(RowStateIcons, PairingOnlyAddsAMarkToTheUnpairedIcon)
{
    // The paired icon keeps the unpaired drawing outside the mark's corner.
    const std::pair<int, int> pairs[] = {{1, 3}, {2, 4}, {5, 7}, {6, 8}, {9, 10}, {11, 12}, {13, 14}};
    for (const auto& [plain, paired] : pairs) {
        const QImage a = Render(RowStateIcon(plain));
        const QImage b = Render(RowStateIcon(paired));
        EXPECT_EQ(a.copy(0, 0, 16, 7), b.copy(0, 0, 16, 7)) << plain << "/" << paired;
        EXPECT_NE(a.copy(8, 8, 8, 8), b.copy(8, 8, 8, 8)) << plain << "/" << paired;
    }
}

TEST(ButtonImages, EveryToolbarAndPlayerKeyHasAnImage)
{
    const QStringList keys = ButtonImageKeys();
    const QStringList expected = {"Open", "Save", "Copy", "Move", "Delete1", "Delete2", "RenameRtoL", "RenameLtoR",
                                  "RenameManual", "ReSearch", "AutoLoad", "SelectAll", "SelectInverse", "SelectNone",
                                  "SelectClear", "SelectSearch", "AutoSelect", "Help", "Play", "Pause", "Stop"};
    EXPECT_EQ(keys, expected);
    for (const QString& key : keys) {
        const QIcon themed = ButtonImage(key);
        ASSERT_FALSE(themed.isNull()) << key.toStdString();
        EXPECT_GT(OpaquePixels(Render(themed)), 10) << key.toStdString();
        EXPECT_GT(OpaquePixels(Render(themed, 24)), 20) << key.toStdString();
    }
}

TEST(ButtonImages, OurOwnDrawingsAreAllDifferent)
{
    const QStringList keys = ButtonImageKeys();
    std::vector<QImage> images;
    for (const QString& key : keys) {
        const QImage image = Render(OwnButtonImage(key));
        EXPECT_GT(OpaquePixels(image), 10) << key.toStdString();
        for (size_t i = 0; i < images.size(); ++i)
            EXPECT_NE(images[i], image) << keys[int(i)].toStdString() << " looks like " << key.toStdString();
        images.push_back(image);
    }
}

TEST(ButtonImages, TheRecycleBinAndDirectDeleteImagesDiffer)
{
    EXPECT_NE(Render(ButtonImage(QStringLiteral("Delete1"))), Render(ButtonImage(QStringLiteral("Delete2"))));
}

TEST(ButtonImages, UnknownKeysAndTheDeleteMenuKeyGiveNullIcons)
{
    EXPECT_TRUE(ButtonImage(QString()).isNull());
    EXPECT_TRUE(ButtonImage(QStringLiteral("Delete")).isNull()); // the button shows Delete1 or Delete2
    EXPECT_TRUE(ButtonImage(QStringLiteral("open")).isNull());   // keys are case-sensitive
    EXPECT_TRUE(OwnButtonImage(QStringLiteral("Nothing")).isNull());
}

TEST(SortArrows, DescendingAndAscendingPointOppositeWays)
{
    const QImage down = Render(SortArrowIcon(1));
    const QImage up = Render(SortArrowIcon(2));
    ASSERT_GT(OpaquePixels(down), 5);
    ASSERT_GT(OpaquePixels(up), 5);
    // Descending is wide at the top, ascending wide at the bottom.
    auto widthOfRow = [](const QImage& image, int y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        return n;
    };
    EXPECT_GT(widthOfRow(down, 6), widthOfRow(down, 9));
    EXPECT_LT(widthOfRow(up, 6), widthOfRow(up, 9));
    EXPECT_TRUE(SortArrowIcon(0).isNull());
    EXPECT_TRUE(SortArrowIcon(3).isNull());
}

TEST(ApplicationIcon, PaintsAtEverySizeAndMatchesTheInstalledFile)
{
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 128, 256})
        EXPECT_GT(OpaquePixels(Render(icon, size)), size * size / 2) << size;
    QFile resource(QStringLiteral(":/icons/melwickex.svg"));
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    EXPECT_EQ(resource.readAll(), testsupport::ReadBytes(testsupport::SourceDir() + QStringLiteral("/programs/MelwickEx/melwickex.svg")));
}

TEST(DesktopEntry, NamesTheProgramItsIconAndItsCategories)
{
    const QString path = testsupport::SourceDir() + QStringLiteral("/programs/MelwickEx/melwickex.desktop");
    const QByteArray bytes = testsupport::ReadBytes(path);
    ASSERT_TRUE(bytes.startsWith("[Desktop Entry]\n"));
    QHash<QString, QString> keys;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            keys.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    EXPECT_EQ(keys.value("Type"), "Application");
    EXPECT_EQ(keys.value("Name"), "Melwick Ex");
    EXPECT_FALSE(keys.value("Name[ja]").isEmpty());
    EXPECT_FALSE(keys.value("GenericName[ja]").isEmpty());
    EXPECT_TRUE(keys.value("Exec").startsWith("MelwickEx"));
    EXPECT_EQ(keys.value("Icon"), "melwickex");
    EXPECT_EQ(keys.value("Terminal"), "false");
    EXPECT_TRUE(keys.value("Categories").contains("AudioVideo;Audio;"));
    for (const QString& list : {keys.value("Categories"), keys.value("Keywords"), keys.value("Keywords[ja]")})
        EXPECT_TRUE(list.endsWith(';')) << list.toStdString();
}

} // namespace
