// The installed icons against the XPM they are drawn from: every PNG pixel
// must be the XPM's pixel under it, and the SVG's rects, laid on a grid, must
// give back the XPM exactly, with nothing painted twice and no gap.
#include <QFile>
#include <QImage>
#include <QTest>
#include <QXmlStreamReader>

#include <optional>
#include <vector>

namespace {

const QString kThemeDir = QStringLiteral(COMSEND_ICON_THEME_DIR);
const QString kIconName = QStringLiteral(COMSEND_ICON_NAME);

QImage loadXpm()
{
    QImage image(QStringLiteral(COMSEND_ICON_SOURCE), "XPM");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// Colours as a person sees them: any fully transparent pixel is the same.
QRgb visible(QRgb colour)
{
    return qAlpha(colour) == 0 ? 0 : colour;
}

QString hex(QRgb colour)
{
    return QStringLiteral("#%1").arg(visible(colour), 8, 16, QLatin1Char('0'));
}

int intAttribute(const QXmlStreamAttributes &attributes, const char *name, bool *ok)
{
    return attributes.value(QLatin1String(name)).toInt(ok);
}

} // namespace

class IconsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pngMatchesXpm_data();
    void pngMatchesXpm();
    void svgRebuildsXpm();

private:
    QImage xpm_;
};

void IconsTest::initTestCase()
{
    xpm_ = loadXpm();
    QVERIFY2(!xpm_.isNull(), COMSEND_ICON_SOURCE);
    QCOMPARE(xpm_.width(), xpm_.height());
}

void IconsTest::pngMatchesXpm_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("16") << 16;
    QTest::newRow("32") << 32;
    QTest::newRow("48") << 48;
}

void IconsTest::pngMatchesXpm()
{
    QFETCH(int, size);
    const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(kThemeDir).arg(size).arg(kIconName);
    QImage png(path, "PNG");
    QVERIFY2(!png.isNull(), qPrintable(path));
    png = png.convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png.size(), QSize(size, size));

    // The XPM pixel under the centre of each icon pixel.
    const int source = xpm_.width();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QPointF centre((x + 0.5) * source / size, (y + 0.5) * source / size);
            const QRgb expected = xpm_.pixel(int(centre.x()), int(centre.y()));
            if (visible(png.pixel(x, y)) != visible(expected))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, the XPM has %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(hex(png.pixel(x, y)), hex(expected))));
        }
    }
}

void IconsTest::svgRebuildsXpm()
{
    const QString path = QStringLiteral("%1/scalable/apps/%2.svg").arg(kThemeDir, kIconName);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));

    const int size = xpm_.width();
    std::vector<std::optional<QRgb>> painted(static_cast<std::size_t>(size) * size);
    bool sawRoot = false;
    int rects = 0;

    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            QCOMPARE(xml.namespaceUri(), QLatin1String("http://www.w3.org/2000/svg"));
            QCOMPARE(attributes.value(QLatin1String("viewBox")), QStringLiteral("0 0 %1 %1").arg(size));
            // Without it a renderer antialiases the rect edges into colours
            // the design never had.
            QCOMPARE(attributes.value(QLatin1String("shape-rendering")), QLatin1String("crispEdges"));
            sawRoot = true;
            continue;
        }
        QCOMPARE(xml.name(), QLatin1String("rect"));
        bool ok[4] = {};
        const int x = intAttribute(attributes, "x", &ok[0]);
        const int y = intAttribute(attributes, "y", &ok[1]);
        const int w = intAttribute(attributes, "width", &ok[2]);
        const int h = intAttribute(attributes, "height", &ok[3]);
        QVERIFY2(ok[0] && ok[1] && ok[2] && ok[3], "rect geometry is not whole pixels");
        QVERIFY(x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= size && y + h <= size);

        const QColor fill(attributes.value(QLatin1String("fill")).toString());
        QVERIFY2(fill.isValid(), "rect without a colour");
        QColor colour = fill;
        if (attributes.hasAttribute(QLatin1String("fill-opacity")))
            colour.setAlphaF(attributes.value(QLatin1String("fill-opacity")).toFloat());

        for (int py = y; py < y + h; ++py) {
            for (int px = x; px < x + w; ++px) {
                auto &cell = painted[py * size + px];
                QVERIFY2(!cell, qPrintable(QStringLiteral("pixel %1,%2 painted twice").arg(px).arg(py)));
                cell = colour.rgba();
            }
        }
        ++rects;
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(sawRoot);
    QVERIFY(rects > 0);

    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb drawn = painted[y * size + x].value_or(0);
            const QRgb expected = xpm_.pixel(x, y);
            if (visible(drawn) != visible(expected))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3 in the SVG, the XPM has %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(hex(drawn), hex(expected))));
        }
    }
}

QTEST_APPLESS_MAIN(IconsTest)
#include "tst_icons.moc"
