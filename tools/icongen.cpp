// Draws the desktop icons from the program's XPM:
//   comsend_icongen png SIZE INPUT.xpm OUTPUT.png
//   comsend_icongen svg INPUT.xpm OUTPUT.svg
// Both keep the hard pixel edges of the 16-colour design: the PNGs are
// nearest-neighbour samples, which never blend two colours into one the
// design lacks, and the SVG's rects (one per run of same-coloured pixels) ask
// renderers not to antialias their edges.

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

int fail(const char *what, const QString &path)
{
    std::fprintf(stderr, "comsend_icongen: %s: %s\n", what, qPrintable(path));
    return EXIT_FAILURE;
}

// Icon themes only hold square icons; anything else is a broken source.
QImage load(const QString &path)
{
    const QImage image(path, "XPM");
    if (image.isNull() || image.width() != image.height())
        return {};
    // One pixel format for both writers, with the XPM's "None" as alpha 0.
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Samples at each target pixel's centre, so an exact halving takes one pixel
// of every 2x2 block and odd ratios spread the repeats evenly.
QImage scaledNearest(const QImage &source, int size)
{
    QImage target(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        const int sy = (2 * y + 1) * source.height() / (2 * size);
        for (int x = 0; x < size; ++x) {
            const int sx = (2 * x + 1) * source.width() / (2 * size);
            target.setPixel(x, y, source.pixel(sx, sy));
        }
    }
    return target;
}

QByteArray svgRect(int x, int y, int width, QRgb colour)
{
    QByteArray rect = QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"1\" fill=\"#%4\"")
                          .arg(x)
                          .arg(y)
                          .arg(width)
                          .arg(colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                          .toLatin1();
    if (qAlpha(colour) != 255)
        rect += QByteArray(" fill-opacity=\"") + QByteArray::number(qAlpha(colour) / 255.0, 'g', 3) + '"';
    return rect + "/>\n";
}

QByteArray svgOf(const QImage &image)
{
    const QByteArray w = QByteArray::number(image.width());
    const QByteArray h = QByteArray::number(image.height());
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
                     + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + ' ' + h
                     + "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < image.height(); ++y) {
        int x = 0;
        while (x < image.width()) {
            const QRgb colour = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == colour)
                ++end;
            if (qAlpha(colour) != 0)
                svg += svgRect(x, y, end - x, colour);
            x = end;
        }
    }
    return svg + "</svg>\n";
}

int usage()
{
    std::fputs("usage: comsend_icongen png SIZE INPUT.xpm OUTPUT.png\n"
               "       comsend_icongen svg INPUT.xpm OUTPUT.svg\n",
               stderr);
    return EXIT_FAILURE;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string_view kind = argv[1];

    if (kind == "png" && argc == 5) {
        bool ok = false;
        const int size = QByteArray(argv[2]).toInt(&ok);
        if (!ok || size < 1)
            return usage();
        const QString input = QString::fromLocal8Bit(argv[3]);
        const QString output = QString::fromLocal8Bit(argv[4]);
        const QImage image = load(input);
        if (image.isNull())
            return fail("cannot read a square XPM from", input);
        if (!scaledNearest(image, size).save(output, "PNG"))
            return fail("cannot write PNG", output);
        return EXIT_SUCCESS;
    }

    if (kind == "svg" && argc == 4) {
        const QString input = QString::fromLocal8Bit(argv[2]);
        const QString output = QString::fromLocal8Bit(argv[3]);
        const QImage image = load(input);
        if (image.isNull())
            return fail("cannot read a square XPM from", input);
        QSaveFile file(output);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svgOf(image)) < 0
            || !file.commit())
            return fail("cannot write SVG", output);
        return EXIT_SUCCESS;
    }

    return usage();
}
