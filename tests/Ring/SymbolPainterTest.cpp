#include "Ring/SymbolPainter.h"

#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include "Base/Log.h"
#include "Ring/SymbolTable.h"

using namespace Quickhalo;

namespace {

// What a rendering put on the canvas: the box around every touched pixel and the total coverage.
struct Ink {
    QRect bounds;
    qint64 coverage = 0; // summed alpha
    bool colourMatches = true; // every mostly opaque pixel has the requested colour
};

QImage render(const SymbolFont& font, const QString& symbol, QPointF centre, qreal size, const QColor& colour,
    SymbolWeight weight = SymbolWeight::regular, QSize canvas = QSize(120, 80))
{
    QImage image(canvas, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter imagePainter(&image);
    font.draw(imagePainter, symbol, centre, size, colour, weight);
    return image;
}

Ink inkOf(const QImage& image, const QColor& colour)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0)
                continue;
            ink.bounds |= QRect(x, y, 1, 1);
            ink.coverage += pixel.alpha();
            // Partly covered pixels lose a little precision to premultiplication.
            const auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
            if (pixel.alpha() >= 192
                && !(near(pixel.red(), colour.red()) && near(pixel.green(), colour.green())
                    && near(pixel.blue(), colour.blue())))
                ink.colourMatches = false;
        }
    }
    return ink;
}

// The glyphs the installed icon font shapes `ligature` into, independently of the painter.
QList<quint32> shapedGlyphs(const QString& ligature)
{
    static const bool loaded = QFontDatabase::families().contains(SymbolFont::installedFamily())
        || QFontDatabase::addApplicationFont(SymbolFont::installedFontFile()) >= 0;
    if (!loaded)
        return {};
    QFont font(SymbolFont::installedFamily());
    font.setPixelSize(48);
    font.setStyleStrategy(QFont::NoFontMerging);
    QTextLayout layout(ligature, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QList<quint32> glyphs;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (run.rawFont().familyName() != SymbolFont::installedFamily())
            return {};
        glyphs.append(run.glyphIndexes());
    }
    return glyphs;
}

const QColor red(255, 59, 48);

}

TEST(SymbolPainter, EveryLigatureInTheTableIsOneGlyphOfTheInstalledFont)
{
    QStringList ligatures { SymbolTable::fallbackMaterialName() };
    for (const QString& symbol : SymbolTable::knownSymbols())
        ligatures.append(*SymbolTable::materialName(symbol));
    // A typo shapes into several glyphs, one per letter past the longest ligature it starts with.
    ASSERT_EQ(shapedGlyphs(QStringLiteral("content_pastee")).size(), 2);

    for (const QString& ligature : ligatures) {
        SCOPED_TRACE(ligature.toStdString());
        const QList<quint32> glyphs = shapedGlyphs(ligature);
        EXPECT_EQ(glyphs.size(), 1);
        EXPECT_FALSE(glyphs.contains(0u)); // .notdef
    }
}

TEST(SymbolPainter, DrawsCentredInsideTheRequestedSizeInTheRequestedColour)
{
    const SymbolFont& font = SymbolFont::installed();
    ASSERT_TRUE(font.hasFont());

    struct Case {
        const char* symbol;
        QPointF centre;
        qreal size;
        SymbolWeight weight;
    };
    // Off-centre and non-square on purpose, so that a swapped or ignored coordinate shows.
    const Case cases[] = {
        { "doc.on.clipboard", { 40, 30 }, 32, SymbolWeight::regular },
        { "circle.fill", { 80.5, 44 }, 21, SymbolWeight::regular },
        { "circle.fill", { 30, 50 }, 40, SymbolWeight::semibold },
        { "speaker.wave.2.fill", { 60, 40 }, 13, SymbolWeight::semibold },
        { "rectangle.lefthalf.filled", { 60, 40 }, 64, SymbolWeight::regular },
        { "no.such.symbol", { 90, 25 }, 26, SymbolWeight::semibold },
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.symbol);
        SCOPED_TRACE(testCase.size);
        const QImage image
            = render(font, QLatin1String(testCase.symbol), testCase.centre, testCase.size, red, testCase.weight);
        const Ink ink = inkOf(image, red);
        ASSERT_FALSE(ink.bounds.isEmpty());
        EXPECT_TRUE(ink.colourMatches);

        // Nothing outside the em square but antialiasing and the semibold outline.
        const qreal half = testCase.size / 2 + 1.5;
        const QRectF allowed(testCase.centre - QPointF(half, half), testCase.centre + QPointF(half, half));
        EXPECT_TRUE(allowed.contains(QRectF(ink.bounds))) << "ink " << ink.bounds.x() << "," << ink.bounds.y() << " "
                                                          << ink.bounds.width() << "x" << ink.bounds.height();
        // Ink around the centre, and a real share of the square covered.
        const QPointF inkCentre = QRectF(ink.bounds).center();
        EXPECT_LT(std::abs(inkCentre.x() - testCase.centre.x()), testCase.size * 0.15);
        EXPECT_LT(std::abs(inkCentre.y() - testCase.centre.y()), testCase.size * 0.15);
        EXPECT_GT(ink.bounds.width(), testCase.size * 0.4);
        EXPECT_GT(ink.bounds.height(), testCase.size * 0.4);
    }

    // A filled disc is solid where it was asked to be.
    const QImage disc = render(font, QStringLiteral("circle.fill"), { 80, 44 }, 30, red);
    EXPECT_EQ(disc.pixelColor(80, 44), red);
    EXPECT_EQ(disc.pixelColor(40, 44).alpha(), 0);
}

TEST(SymbolPainter, SemiboldIsASubtlyHeavierStroke)
{
    const SymbolFont& font = SymbolFont::installed();
    for (const char* symbol : { "chevron.left", "doc.on.clipboard", "play.fill" }) {
        SCOPED_TRACE(symbol);
        const auto regular = inkOf(render(font, QLatin1String(symbol), { 60, 40 }, 21, red), red).coverage;
        const auto semibold
            = inkOf(render(font, QLatin1String(symbol), { 60, 40 }, 21, red, SymbolWeight::semibold), red).coverage;
        EXPECT_GT(static_cast<double>(semibold), static_cast<double>(regular) * 1.05);
        EXPECT_LT(static_cast<double>(semibold), static_cast<double>(regular) * 1.5);
    }
}

TEST(SymbolPainter, DifferentSymbolsDrawDifferentImages)
{
    const SymbolFont& font = SymbolFont::installed();
    const auto image = [&](const QString& symbol) { return render(font, symbol, { 60, 40 }, 24, Qt::white); };

    // Unknown names all draw the fallback, and so does the empty name.
    const QImage fallback = image(QString());
    EXPECT_FALSE(inkOf(fallback, Qt::white).bounds.isEmpty());
    EXPECT_EQ(image(QStringLiteral("not.a.symbol")), fallback);

    // Every known symbol reaches its own glyph rather than the fallback.
    for (const QString& symbol : SymbolTable::knownSymbols()) {
        if (SymbolTable::materialName(symbol) == SymbolTable::fallbackMaterialName())
            continue;
        EXPECT_NE(image(symbol), fallback) << symbol.toStdString();
    }

    const std::pair<const char*, const char*> pairs[] = {
        { "play.fill", "pause.fill" },
        { "speaker.slash.fill", "speaker.wave.1.fill" },
        { "speaker.wave.1.fill", "speaker.wave.2.fill" },
        { "rectangle.lefthalf.filled", "rectangle.righthalf.filled" },
        { "rectangle.inset.topleft.filled", "rectangle.inset.bottomright.filled" },
        { "chevron.left", "chevron.right" },
        { "mic.fill", "stop.circle.fill" },
    };
    for (const auto& [first, second] : pairs)
        EXPECT_NE(image(QLatin1String(first)), image(QLatin1String(second))) << first << " / " << second;
}

TEST(SymbolPainter, PixmapsAndIconsHoldTheSymbol)
{
    const QPixmap sharp = SymbolPainter::pixmap(QStringLiteral("circle.circle"), 24, red, 2.0);
    EXPECT_EQ(sharp.size(), QSize(48, 48));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    const Ink ink = inkOf(sharp.toImage().convertToFormat(QImage::Format_ARGB32), red);
    ASSERT_FALSE(ink.bounds.isEmpty());
    EXPECT_TRUE(QRect(0, 0, 48, 48).contains(ink.bounds.adjusted(-1, -1, 1, 1)));
    EXPECT_GT(ink.bounds.width(), 24);

    const QIcon icon = SymbolPainter::icon(QStringLiteral("circle.circle"), red);
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(64, 64)));
    EXPECT_FALSE(inkOf(icon.pixmap(22).toImage().convertToFormat(QImage::Format_ARGB32), red).bounds.isEmpty());
}

TEST(SymbolPainter, WithoutTheFontDrawsAQuestionMarkAndSaysSoOnce)
{
    Log::Capture log;
    const SymbolFont missing(QStringLiteral("/nonexistent/NoSuchIcons.ttf"), QStringLiteral("Quickhalo No Such Icons"));
    EXPECT_FALSE(missing.hasFont());

    for (const char* symbol : { "doc.on.clipboard", "", "not.a.symbol" }) {
        SCOPED_TRACE(symbol);
        const QImage image = render(missing, QLatin1String(symbol), { 40, 30 }, 32, red, SymbolWeight::semibold);
        const Ink ink = inkOf(image, red);
        ASSERT_FALSE(ink.bounds.isEmpty());
        EXPECT_TRUE(QRectF(24 - 1.5, 14 - 1.5, 35, 35).contains(QRectF(ink.bounds)));
        EXPECT_TRUE(ink.colourMatches);
    }
    EXPECT_FALSE(missing.pixmap(QStringLiteral("clock"), 24, red).isNull());

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().constFirst().startsWith(QStringLiteral("Quickhalo: ")));
    EXPECT_TRUE(log.lines().constFirst().contains(QStringLiteral("/nonexistent/NoSuchIcons.ttf")));
}
