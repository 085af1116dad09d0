// artgen: draws every picture of Vorpane's window into a folder.
//
//   artgen <folder> [vorpane_LANG.qm...]   (the build's `artwork` target
//                                          writes to assets/)
//
// The words painted into the pictures go through the window's translations:
// for each one named, the pictures with words are drawn again in its
// language into <folder>/LANG/, where the window looks first.
//
// The application icon for the desktop's icon theme goes to <folder>/icons/.
//
// One palette, drawn with QPainter. Sprite sheets hold four frames (normal,
// hover, pressed, greyed) side by side with one filler column between them.
// The window leaves out every pixel of a frame that has the colour of the
// frame's bottom-left pixel, so each sheet is drawn on the very colour the
// background shows where its button sits: anti-aliased edges then blend into
// the right colour, and the bottom-left pixel is checked to be that colour.
//
// Every picture of the window is drawn twice: at its size, and at twice its
// size as Name@2x for screens of two device pixels a pixel. Both are drawn
// from the same strokes in the window's pixels, so the large one is as sharp
// as its screen and lines up with the small one pixel for pixel.
#include "WindowLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTranslator>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// The palette.
const QColor kBody(0xEE, 0xF2, 0xF7);
const QColor kCard(0xFF, 0xFF, 0xFF);
const QColor kCardBorder(0xD9, 0xE0, 0xEA);
const QColor kStrip(0xF4, 0xF7, 0xFB);
const QColor kTitle(0x1E, 0x2A, 0x3E);
const QColor kTitleSub(0x9D, 0xB0, 0xCC);
const QColor kText(0x22, 0x32, 0x4A);
const QColor kMuted(0x6A, 0x7A, 0x92);
const QColor kAccent(0x2F, 0x80, 0xED);
const QColor kAccentLight(0x56, 0xA8, 0xF7);
const QColor kAccentDark(0x1E, 0x63, 0xC6);
const QColor kAccentTint(0xE6, 0xF0, 0xFE);
const QColor kAccentTintDark(0xCF, 0xE0, 0xFB);
const QColor kAccentBorder(0xA9, 0xC8, 0xF6);
const QColor kDanger(0xE5, 0x48, 0x4D);
const QColor kDangerLight(0xF0, 0x6A, 0x6E);
const QColor kDangerDark(0xC2, 0x35, 0x3A);
const QColor kDangerTint(0xFD, 0xEC, 0xEC);
const QColor kNeutral(0xF1, 0xF5, 0xFB);
const QColor kNeutralBorder(0xD0, 0xDA, 0xE7);
const QColor kGrey(0xB7, 0xC1, 0xCE);
const QColor kGreyFill(0xF2, 0xF4, 0xF7);
const QColor kFieldBorder(0xC5, 0xD0, 0xDE);

enum TState { stNormal, stHover, stPressed, stGreyed };

// The look of a white card control in state St: its pen and brush are set
// on P, and the colour its glyph takes is the answer.
QColor SetCardLook(QPainter& P, TState St) {
    QColor fill = kCard, border = kNeutralBorder, ink = kText;
    if (St == stHover) {
        fill = kAccentTint;
        border = kAccentBorder;
        ink = kAccent;
    } else if (St == stPressed) {
        fill = kAccent;
        border = kAccentDark;
        ink = Qt::white;
    } else if (St == stGreyed) {
        fill = kGreyFill;
        ink = kGrey;
    }
    P.setPen(QPen(border, 1));
    P.setBrush(fill);
    return ink;
}

// The words painted into the pictures, in the language of the translation
// loaded while they are drawn.
struct TArtwork {
    Q_DECLARE_TR_FUNCTIONS(vorpane::Artwork)
};

QString outDir;
// Device pixels a window pixel in the pictures drawn now: 1, or 2 for @2x.
int scale = 1;

QFont Font(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void Save(const QImage& image, const QString& name, const char* format = "PNG", int quality = -1) {
    QString file = name;
    if (image.devicePixelRatio() != 1) {
        file.insert(file.lastIndexOf(QLatin1Char('.')),
                    QStringLiteral("@%1x").arg(image.devicePixelRatio()));
    }
    const QString path = outDir + QLatin1Char('/') + file;
    if (!image.save(path, format, quality)) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// Width x Height window pixels at the scale drawn now; a painter on it draws
// in window pixels.
QImage Canvas(int width, int height, const QColor& fill,
              QImage::Format format = QImage::Format_RGB32) {
    QImage image(width * scale, height * scale, format);
    image.setDevicePixelRatio(scale);
    image.fill(fill);
    return image;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// Text centred on a point, baseline placed so that capitals sit centred.
void CentredText(QPainter& p, QPointF centre, const QString& text, const QFont& font,
                 const QColor& colour) {
    p.setFont(font);
    p.setPen(colour);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double capHeight = metrics.capHeight();
    p.drawText(QPointF(std::round(centre.x() - width / 2), std::round(centre.y() + capHeight / 2)),
               text);
}

void Text(QPainter& p, QPointF baseline, const QString& text, const QFont& font,
          const QColor& colour) {
    p.setFont(font);
    p.setPen(colour);
    p.drawText(baseline, text);
}

QPen Stroke(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// ----- glyphs, drawn in a box of the given centre and size -----

void GlyphArrow(QPainter& p, QPointF c, double s, bool up, const QColor& colour) {
    p.setPen(Stroke(colour, s * 0.16));
    p.setBrush(Qt::NoBrush);
    const double dir = up ? -1 : 1;
    p.drawLine(QPointF(c.x(), c.y() - dir * s * 0.38), QPointF(c.x(), c.y() + dir * s * 0.38));
    QPainterPath head;
    head.moveTo(c.x() - s * 0.32, c.y() + dir * s * 0.06);
    head.lineTo(c.x(), c.y() + dir * s * 0.38);
    head.lineTo(c.x() + s * 0.32, c.y() + dir * s * 0.06);
    p.drawPath(head);
}

void GlyphPlus(QPainter& p, QPointF c, double s, const QColor& colour) {
    p.setPen(Stroke(colour, s * 0.17));
    p.drawLine(QPointF(c.x() - s / 2, c.y()), QPointF(c.x() + s / 2, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - s / 2), QPointF(c.x(), c.y() + s / 2));
}

void GlyphMinus(QPainter& p, QPointF c, double s, const QColor& colour) {
    p.setPen(Stroke(colour, s * 0.17));
    p.drawLine(QPointF(c.x() - s / 2, c.y()), QPointF(c.x() + s / 2, c.y()));
}

// Three list lines with a plus: "add every file".
void GlyphAddAll(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(Stroke(colour, 2.0));
    for (int i = 0; i < 3; ++i) {
        const double y = c.y() - 5 + i * 5;
        p.drawLine(QPointF(c.x() - 8, y), QPointF(c.x() + (i == 2 ? -1 : 2), y));
    }
    p.setPen(Stroke(colour, 2.0));
    p.drawLine(QPointF(c.x() + 5.5, c.y() + 1), QPointF(c.x() + 5.5, c.y() + 9));
    p.drawLine(QPointF(c.x() + 1.5, c.y() + 5), QPointF(c.x() + 9.5, c.y() + 5));
}

void GlyphTrash(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(Stroke(colour, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c.x() - 7, c.y() - 5), QPointF(c.x() + 7, c.y() - 5));
    p.drawLine(QPointF(c.x() - 2.5, c.y() - 8), QPointF(c.x() + 2.5, c.y() - 8));
    QPainterPath can;
    can.moveTo(c.x() - 5.5, c.y() - 5);
    can.lineTo(c.x() - 4.5, c.y() + 8);
    can.lineTo(c.x() + 4.5, c.y() + 8);
    can.lineTo(c.x() + 5.5, c.y() - 5);
    p.drawPath(can);
    p.drawLine(QPointF(c.x() - 1.7, c.y() - 1.5), QPointF(c.x() - 1.5, c.y() + 4.5));
    p.drawLine(QPointF(c.x() + 1.7, c.y() - 1.5), QPointF(c.x() + 1.5, c.y() + 4.5));
}

void GlyphHouse(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(Stroke(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath roof;
    roof.moveTo(c.x() - 7, c.y() - 0.5);
    roof.lineTo(c.x(), c.y() - 6.5);
    roof.lineTo(c.x() + 7, c.y() - 0.5);
    p.drawPath(roof);
    QPainterPath body;
    body.moveTo(c.x() - 4.8, c.y() - 2);
    body.lineTo(c.x() - 4.8, c.y() + 6);
    body.lineTo(c.x() + 4.8, c.y() + 6);
    body.lineTo(c.x() + 4.8, c.y() - 2);
    p.drawPath(body);
    p.drawLine(QPointF(c.x(), c.y() + 6), QPointF(c.x(), c.y() + 2.5));
}

void GlyphHelp(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(Stroke(colour, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 7.0, 7.0);
    CentredText(p, QPointF(c.x() + 0.5, c.y()), QStringLiteral("?"), Font(11, true), colour);
}

void GlyphCross(QPainter& p, QPointF c, double s, const QColor& colour, double width) {
    p.setPen(Stroke(colour, width));
    p.drawLine(QPointF(c.x() - s / 2, c.y() - s / 2), QPointF(c.x() + s / 2, c.y() + s / 2));
    p.drawLine(QPointF(c.x() + s / 2, c.y() - s / 2), QPointF(c.x() - s / 2, c.y() + s / 2));
}

// A page with a folded corner and "PDF" on it.
void GlyphDocument(QPainter& p, QPointF c, const QColor& paper, const QColor& ink) {
    const double w = 20, h = 25, fold = 6;
    const double left = c.x() - w / 2, top = c.y() - h / 2;
    QPainterPath page;
    page.moveTo(left + 2, top);
    page.lineTo(left + w - fold, top);
    page.lineTo(left + w, top + fold);
    page.lineTo(left + w, top + h - 2);
    page.quadTo(left + w, top + h, left + w - 2, top + h);
    page.lineTo(left + 2, top + h);
    page.quadTo(left, top + h, left, top + h - 2);
    page.lineTo(left, top + 2);
    page.quadTo(left, top, left + 2, top);
    p.setPen(Qt::NoPen);
    p.setBrush(paper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(left + w - fold, top);
    corner.lineTo(left + w - fold, top + fold - 1);
    corner.quadTo(left + w - fold, top + fold, left + w - fold + 1, top + fold);
    corner.lineTo(left + w, top + fold);
    corner.closeSubpath();
    QColor shade = ink;
    shade.setAlpha(90);
    p.setBrush(shade);
    p.drawPath(corner);
    CentredText(p, QPointF(c.x(), c.y() + 4), QStringLiteral("PDF"), Font(7, true), ink);
}

// A framed landscape: the picture placeholder and the icon's photo.
void GlyphPhoto(QPainter& p, QRectF r, const QColor& line, const QColor& fill) {
    p.setPen(Stroke(line, 1.6));
    p.setBrush(fill);
    p.drawRoundedRect(r, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    const double u = r.width() / 10;
    p.drawEllipse(QPointF(r.left() + u * 7, r.top() + u * 2.4), u * 0.9, u * 0.9);
    QPainterPath hills;
    hills.moveTo(r.left() + u * 0.9, r.bottom() - u * 0.9);
    hills.lineTo(r.left() + u * 3.7, r.top() + u * 3.2);
    hills.lineTo(r.left() + u * 5.8, r.bottom() - u * 2.6);
    hills.lineTo(r.left() + u * 7.0, r.top() + u * 4.6);
    hills.lineTo(r.right() - u * 0.9, r.bottom() - u * 0.9);
    hills.closeSubpath();
    p.drawPath(hills);
}

// ----- sprite sheets -----

using TFrameDrawer = std::function<void(QPainter&, QSize, TState)>;

QImage SpriteSheet(const QString& name, int frameWidth, int height, const QColor& transparent,
                   const TFrameDrawer& draw) {
    QImage sheet = Canvas(4 * frameWidth + 3, height, transparent);
    QPainter sp(&sheet);
    for (int state = 0; state < 4; ++state) {
        QImage frame = Canvas(frameWidth, height, transparent);
        {
            QPainter p(&frame);
            Smooth(p);
            draw(p, QSize(frameWidth, height), static_cast<TState>(state));
        }
        if (frame.pixelColor(0, frame.height() - 1) != transparent) {
            std::fprintf(stderr, "artgen: %s frame %d covers its bottom-left pixel\n",
                         qPrintable(name), state);
            std::exit(1);
        }
        sp.drawImage(state * (frameWidth + 1), 0, frame);
    }
    sp.end();
    Save(sheet, name + QStringLiteral(".png"));
    return sheet;
}

QPointF Centre(QSize size, TState state) {
    // The pressed look sinks by one pixel.
    const double shift = state == stPressed ? 1 : 0;
    return QPointF(size.width() / 2.0, size.height() / 2.0 + shift);
}

// Round buttons of the conversion list: neutral, accent (add) or danger
// (remove) tinted.
enum TRoundKind { rkNeutral, rkAccent, rkDanger };

void RoundButton(QPainter& p, QSize size, TState state, TRoundKind kind, double radius,
                 const std::function<void(QPainter&, QPointF, const QColor&)>& glyph) {
    const QPointF c = Centre(size, state);
    QColor fill, border, ink;
    const QColor strong = kind == rkDanger ? kDanger : kAccent;
    const QColor strongDark = kind == rkDanger ? kDangerDark : kAccentDark;
    const QColor tint =
        kind == rkDanger ? kDangerTint : (kind == rkAccent ? kAccentTint : kNeutral);
    switch (state) {
    case stNormal:
        fill = tint;
        border = kind == rkNeutral ? kNeutralBorder : tint.darker(108);
        ink = kind == rkNeutral ? kText : strong;
        break;
    case stHover:
        fill = strong;
        border = strong;
        ink = Qt::white;
        break;
    case stPressed:
        fill = strongDark;
        border = strongDark;
        ink = Qt::white;
        break;
    case stGreyed:
        fill = kGreyFill;
        border = kGreyFill.darker(106);
        ink = kGrey;
        break;
    }
    if (state == stHover) {
        // A soft halo marks the hover look beyond the colour change.
        QRadialGradient halo(c, radius + 3);
        QColor glow = strong;
        glow.setAlpha(70);
        halo.setColorAt(0.75, glow);
        glow.setAlpha(0);
        halo.setColorAt(1.0, glow);
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, radius + 3, radius + 3);
    }
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawEllipse(c, radius, radius);
    glyph(p, c, ink);
}

void DrawSheets() {
    // Title bar buttons, on the title band.
    SpriteSheet(QStringLiteral("ImageMin"), 28, 28, kTitle, [](QPainter& p, QSize s, TState st) {
        const QPointF c = Centre(s, st);
        if (st == stHover || st == stPressed) {
            p.setPen(Qt::NoPen);
            p.setBrush(st == stHover ? QColor(0x3A, 0x48, 0x60) : QColor(0x4A, 0x5A, 0x76));
            p.drawRoundedRect(QRectF(2, 2, 24, 24), 6, 6);
        }
        const QColor ink = st == stGreyed ? QColor(0x5C, 0x6B, 0x83) : QColor(Qt::white);
        p.setPen(Stroke(ink, 1.8));
        p.drawLine(QPointF(c.x() - 5.5, c.y() + 3.5), QPointF(c.x() + 5.5, c.y() + 3.5));
    });
    SpriteSheet(QStringLiteral("ImageClose"), 33, 32, kTitle, [](QPainter& p, QSize s, TState st) {
        // The control is taller than the frame; the cross sits level with
        // the minimise button's box.
        const QPointF c(s.width() / 2.0, 18 + (st == stPressed ? 1 : 0));
        if (st == stHover || st == stPressed) {
            p.setPen(Qt::NoPen);
            p.setBrush(st == stHover ? kDanger : kDangerDark);
            p.drawRoundedRect(QRectF(3.5, 6, 26, 24), 6, 6);
        }
        const QColor ink = st == stGreyed ? QColor(0x5C, 0x6B, 0x83) : QColor(Qt::white);
        GlyphCross(p, c, 9, ink, 1.8);
    });

    // Column header buttons of the conversion list, on its header strip.
    const auto header = [](const QString& caption) {
        return [caption](QPainter& p, QSize, TState st) {
            const double y = st == stPressed ? 1 : 0;
            QColor ink = kMuted;
            if (st == stHover || st == stPressed) {
                p.setPen(Qt::NoPen);
                p.setBrush(st == stHover ? kAccentTint : kAccentTintDark);
                p.drawRoundedRect(QRectF(1, 1 + y, 78, 18), 5, 5);
                ink = st == stHover ? kAccent : kAccentDark;
            } else if (st == stGreyed) {
                ink = kGrey;
            }
            Text(p, QPointF(9, 14 + y), caption, Font(11, true), ink);
            // Sort mark: a small up and down pair.
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            const double x = 67, m = 10 + y;
            QPainterPath up;
            up.moveTo(x - 3, m - 1.5);
            up.lineTo(x, m - 5);
            up.lineTo(x + 3, m - 1.5);
            up.closeSubpath();
            QPainterPath down;
            down.moveTo(x - 3, m + 1.5);
            down.lineTo(x, m + 5);
            down.lineTo(x + 3, m + 1.5);
            down.closeSubpath();
            p.drawPath(up);
            QColor faded = ink;
            faded.setAlpha(110);
            p.setBrush(faded);
            p.drawPath(down);
        };
    };
    SpriteSheet(QStringLiteral("ImageName"), 80, 22, kStrip, header(TArtwork::tr("Name")));
    SpriteSheet(QStringLiteral("ImagePath"), 80, 22, kStrip, header(TArtwork::tr("Path")));

    // Round buttons of the conversion list, on the card.
    const auto round = [](TRoundKind kind, double radius,
                          std::function<void(QPainter&, QPointF, const QColor&)> glyph) {
        return [=](QPainter& p, QSize s, TState st) { RoundButton(p, s, st, kind, radius, glyph); };
    };
    SpriteSheet(QStringLiteral("ImageUp"), 40, 40, kCard,
                round(rkNeutral, 14, [](QPainter& p, QPointF c, const QColor& ink) {
                    GlyphArrow(p, c, 15, true, ink);
                }));
    SpriteSheet(QStringLiteral("ImageDown"), 40, 40, kCard,
                round(rkNeutral, 14, [](QPainter& p, QPointF c, const QColor& ink) {
                    GlyphArrow(p, c, 15, false, ink);
                }));
    SpriteSheet(QStringLiteral("ImageAdd"), 40, 40, kCard,
                round(rkAccent, 16,
                      [](QPainter& p, QPointF c, const QColor& ink) { GlyphPlus(p, c, 13, ink); }));
    SpriteSheet(QStringLiteral("ImageAdds"), 40, 40, kCard,
                round(rkAccent, 16,
                      [](QPainter& p, QPointF c, const QColor& ink) { GlyphAddAll(p, c, ink); }));
    SpriteSheet(QStringLiteral("ImageDel"), 40, 40, kCard,
                round(rkDanger, 16, [](QPainter& p, QPointF c, const QColor& ink) {
                    GlyphMinus(p, c, 13, ink);
                }));
    SpriteSheet(QStringLiteral("ImageDels"), 40, 40, kCard,
                round(rkDanger, 16,
                      [](QPainter& p, QPointF c, const QColor& ink) { GlyphTrash(p, c, ink); }));

    // The big round command buttons, on the body.
    const auto command = [](const QColor& base, const QColor& light, const QColor& dark,
                            const QString& caption,
                            std::function<void(QPainter&, QPointF, const QColor&)> glyph) {
        return [=](QPainter& p, QSize s, TState st) {
            const QPointF c(s.width() / 2.0, s.height() / 2.0 - 1 + (st == stPressed ? 1 : 0));
            const double r = 36;
            QColor top = light, bottom = base;
            if (st == stHover) {
                top = light.lighter(110);
                bottom = base.lighter(108);
            } else if (st == stPressed) {
                top = base;
                bottom = dark;
            } else if (st == stGreyed) {
                top = QColor(0xD3, 0xDA, 0xE3);
                bottom = QColor(0xBD, 0xC6, 0xD2);
            }
            // Shadow under the button, shorter when pressed.
            const double drop = st == stPressed ? 1.0 : 2.5;
            QRadialGradient shadow(QPointF(c.x(), c.y() + drop), r + 3);
            shadow.setColorAt(0.86, QColor(20, 35, 60, st == stGreyed ? 20 : 60));
            shadow.setColorAt(1.0, QColor(20, 35, 60, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(shadow);
            p.drawEllipse(QPointF(c.x(), c.y() + drop), r + 3, r + 3);
            if (st == stHover) {
                QColor ring = base;
                ring.setAlpha(90);
                p.setPen(QPen(ring, 3));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(c, r + 1.5, r + 1.5);
            }
            QLinearGradient fill(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
            fill.setColorAt(0, top);
            fill.setColorAt(1, bottom);
            p.setPen(QPen(bottom.darker(112), 1));
            p.setBrush(fill);
            p.drawEllipse(c, r, r);
            // A thin light rim gives the face some depth.
            p.setPen(QPen(QColor(255, 255, 255, st == stPressed ? 30 : 70), 1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, r - 2, r - 2);
            const QColor ink = Qt::white;
            glyph(p, QPointF(c.x(), c.y() - 8), st == stGreyed ? QColor(0xF4, 0xF6, 0xF9) : ink);
            CentredText(p, QPointF(c.x(), c.y() + 17), caption, Font(11, true), ink);
        };
    };
    SpriteSheet(QStringLiteral("ImageConvert"), 83, 83, kBody,
                command(kAccent, kAccentLight, kAccentDark, TArtwork::tr("Convert"),
                        [](QPainter& p, QPointF c, const QColor& ink) {
                            GlyphDocument(p, c, ink, kAccentDark);
                        }));
    SpriteSheet(QStringLiteral("ImageStop"), 83, 83, kBody,
                command(kDanger, kDangerLight, kDangerDark, TArtwork::tr("Stop"),
                        [](QPainter& p, QPointF c, const QColor& ink) {
                            p.setPen(Qt::NoPen);
                            p.setBrush(ink);
                            p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 8, 16, 16), 3, 3);
                        }));

    // Homepage and help: a segmented pair on the body.
    const auto segment = [](bool leftRound, double width,
                            std::function<void(QPainter&, QPointF, const QColor&)> glyph) {
        return [=](QPainter& p, QSize s, TState st) {
            const QRectF box(0.5, 0.5, width - 1, s.height() - 2);
            QPainterPath shape;
            const double r = 7;
            if (leftRound) {
                shape.moveTo(box.right(), box.top());
                shape.lineTo(box.left() + r, box.top());
                shape.quadTo(box.left(), box.top(), box.left(), box.top() + r);
                shape.lineTo(box.left(), box.bottom() - r);
                shape.quadTo(box.left(), box.bottom(), box.left() + r, box.bottom());
                shape.lineTo(box.right(), box.bottom());
            } else {
                shape.moveTo(box.left(), box.top());
                shape.lineTo(box.right() - r, box.top());
                shape.quadTo(box.right(), box.top(), box.right(), box.top() + r);
                shape.lineTo(box.right(), box.bottom() - r);
                shape.quadTo(box.right(), box.bottom(), box.right() - r, box.bottom());
                shape.lineTo(box.left(), box.bottom());
            }
            shape.closeSubpath();
            const QColor ink = SetCardLook(p, st);
            p.drawPath(shape);
            glyph(p, QPointF(box.center().x(), box.center().y() + (st == stPressed ? 1 : 0)), ink);
        };
    };
    // The homepage control is one pixel narrower than its frame, so its
    // segment ends one column early.
    SpriteSheet(QStringLiteral("ImageHome"), 39, 24, kBody,
                segment(true, 38,
                        [](QPainter& p, QPointF c, const QColor& ink) { GlyphHouse(p, c, ink); }));
    SpriteSheet(QStringLiteral("ImageHelp"), 33, 24, kBody,
                segment(false, 33,
                        [](QPainter& p, QPointF c, const QColor& ink) { GlyphHelp(p, c, ink); }));

    // Page and photo options, beside the "Upright (EXIF)" box: the segment's
    // look, rounded on both sides, with three sliders.
    SpriteSheet(QStringLiteral("ImageOptions"), 24, 22, kBody, [](QPainter& p, QSize s, TState st) {
        const QRectF box(0.5, 0.5, s.width() - 1, s.height() - 2);
        const QColor ink = SetCardLook(p, st);
        const QBrush fill = p.brush();
        p.drawRoundedRect(box, 6, 6);
        const double y0 = box.center().y() + (st == stPressed ? 1 : 0);
        const double knobs[] = {8.5, 15.5, 11};
        for (int i = 0; i < 3; ++i) {
            const double y = y0 + (i - 1) * 4.5;
            p.setPen(Stroke(ink, 1.4));
            p.drawLine(QPointF(6, y), QPointF(s.width() - 6, y));
            p.setPen(QPen(ink, 1.2));
            p.setBrush(fill);
            p.drawEllipse(QPointF(knobs[i], y), 1.9, 1.9);
        }
    });

    // Spin arrows and the drop-down button, inside the white field boxes.
    const auto spin = [](bool up) {
        return [up](QPainter& p, QSize s, TState st) {
            QColor ink = kMuted;
            if (st == stHover || st == stPressed) {
                p.setPen(Qt::NoPen);
                p.setBrush(st == stHover ? kAccentTint : kAccent);
                p.drawRoundedRect(QRectF(2, 0, s.width() - 3, s.height() - 1), 2, 2);
                ink = st == stHover ? kAccent : QColor(Qt::white);
            } else if (st == stGreyed) {
                ink = kGrey;
            }
            const double cx = s.width() / 2.0 + 0.5, cy = (s.height() - 1) / 2.0;
            QPainterPath chevron;
            if (up) {
                chevron.moveTo(cx - 3.5, cy + 2);
                chevron.lineTo(cx, cy - 1.8);
                chevron.lineTo(cx + 3.5, cy + 2);
            } else {
                chevron.moveTo(cx - 3.5, cy - 1.8);
                chevron.lineTo(cx, cy + 2);
                chevron.lineTo(cx + 3.5, cy - 1.8);
            }
            p.setPen(Stroke(ink, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(chevron);
        };
    };
    SpriteSheet(QStringLiteral("ImageJia"), 20, 9, kCard, spin(true));
    SpriteSheet(QStringLiteral("ImageJian"), 20, 9, kCard, spin(false));
    SpriteSheet(QStringLiteral("ImageDropDown"), 20, 19, kCard, [](QPainter& p, QSize, TState st) {
        // The control shows 19 of the 20 columns.
        const double y = st == stPressed ? 1 : 0;
        QColor ink = kMuted;
        if (st == stHover || st == stPressed) {
            p.setPen(Qt::NoPen);
            p.setBrush(st == stHover ? kAccentTint : kAccentTintDark);
            p.drawRoundedRect(QRectF(1, 1, 16, 17), 3, 3);
            ink = st == stHover ? kAccent : kAccentDark;
        } else if (st == stGreyed) {
            ink = kGrey;
        }
        QPainterPath chevron;
        chevron.moveTo(5, 7.5 + y);
        chevron.lineTo(9, 11.5 + y);
        chevron.lineTo(13, 7.5 + y);
        p.setPen(Stroke(ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(chevron);
    });
}

// ----- the view tabs -----

struct TTab {
    const char* file;
    const char* caption;
    int left;
    int width;
    int height;
    int visibleWidth;
};

// The list tab's control is smaller than its picture; its highlight fits
// the part that shows.
const TTab kTabs[] = {
    {"ImageLists2", QT_TRANSLATE_NOOP("vorpane::Artwork", "List"), vorpane::layout::kViewTabLeft[0],
     73, 23, 65},
    {"ImageBig2", QT_TRANSLATE_NOOP("vorpane::Artwork", "Large icons"),
     vorpane::layout::kViewTabLeft[1], 86, 23, 86},
    {"ImageSmall2", QT_TRANSLATE_NOOP("vorpane::Artwork", "Small icons"),
     vorpane::layout::kViewTabLeft[2], 101, 23, 101},
    {"ImageDetails2", QT_TRANSLATE_NOOP("vorpane::Artwork", "Details"),
     vorpane::layout::kViewTabLeft[3], 97, 23, 97},
};
constexpr int kTabTop = vorpane::layout::kViewTabTop;
constexpr int kTabPill = 17;

QFont TabFont() {
    return Font(11, true);
}

void DrawTabs() {
    for (const TTab& tab : kTabs) {
        QImage image = Canvas(tab.width, tab.height, kStrip);
        QPainter p(&image);
        Smooth(p);
        const QRectF pill(1.5, 0.5, tab.visibleWidth - 3, kTabPill - 1);
        p.setPen(QPen(kAccentBorder, 1));
        p.setBrush(kCard);
        p.drawRoundedRect(pill, 8, 8);
        CentredText(p, QPointF(tab.visibleWidth / 2.0, kTabPill / 2.0), TArtwork::tr(tab.caption),
                    TabFont(), kAccent);
        p.end();
        Save(image, QString::fromLatin1(tab.file) + QStringLiteral(".png"));
    }
}

// ----- the strip over the conversion list -----

constexpr int kHeaderEnd = 400;

void DrawListbox() {
    QImage image = Canvas(489, 40, kCard);
    QPainter p(&image);
    Smooth(p);
    Text(p, QPointF(11, 14), TArtwork::tr("Conversion list"), Font(12, true), kText);
    const double captionWidth =
        QFontMetricsF(Font(12, true)).horizontalAdvance(TArtwork::tr("Conversion list"));
    Text(p, QPointF(11 + captionWidth + 8, 14), TArtwork::tr("one page per photo, top to bottom"),
         Font(11, false), kMuted);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(2, 20, kHeaderEnd - 2, 20), kStrip);
    p.setPen(kCardBorder);
    p.drawLine(2, 20, kHeaderEnd - 1, 20);
    p.drawLine(2 + 215, 23, 2 + 215, 36);
    p.end();
    Save(image, QStringLiteral("ImageListbox.png"));
}

// ----- the background -----

const QRectF kTrough(0.5, 0.5, 175, 26);
const QColor kTroughFill(0xE2, 0xE8, 0xF0);
const QColor kTroughBorder(0xCD, 0xD6, 0xE2);

void Trough(QPainter& p, QPointF at) {
    p.setPen(QPen(kTroughBorder, 1));
    p.setBrush(kTroughFill);
    p.drawRoundedRect(kTrough.translated(at), 7, 7);
}

void FieldBox(QPainter& p, QRectF box) {
    p.setPen(QPen(kFieldBorder, 1));
    p.setBrush(kCard);
    p.drawRoundedRect(box, 4, 4);
}

void DrawLogo(QPainter& p, QRectF r) {
    // A blue tile with a photo turning into a page.
    QLinearGradient tile(r.topLeft(), r.bottomRight());
    tile.setColorAt(0, kAccentLight);
    tile.setColorAt(1, kAccentDark);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(r, r.width() * 0.22, r.width() * 0.22);
    const double u = r.width() / 24;
    // Back: a photo, tilted.
    p.save();
    p.translate(r.left() + u * 9.5, r.top() + u * 11);
    p.rotate(-12);
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawRoundedRect(QRectF(-u * 6, -u * 5, u * 12, u * 10), u, u);
    p.restore();
    // Front: the page.
    QRectF page(r.left() + u * 9, r.top() + u * 6, u * 10.5, u * 13);
    const double fold = u * 3.5;
    QPainterPath sheet;
    sheet.moveTo(page.left(), page.top());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.right(), page.bottom());
    sheet.lineTo(page.left(), page.bottom());
    sheet.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(kAccent);
    QPainterPath hills;
    hills.moveTo(page.left() + u * 1.5, page.bottom() - u * 2);
    hills.lineTo(page.left() + u * 4, page.top() + u * 6);
    hills.lineTo(page.left() + u * 6, page.bottom() - u * 4);
    hills.lineTo(page.left() + u * 7.3, page.top() + u * 7.5);
    hills.lineTo(page.right() - u * 1.5, page.bottom() - u * 2);
    hills.closeSubpath();
    p.drawPath(hills);
    p.drawEllipse(QPointF(page.left() + u * 7.5, page.top() + u * 3.8), u * 1.1, u * 1.1);
}

void DrawBackground() {
    QImage image = Canvas(769, 547, kBody);
    QPainter p(&image);
    Smooth(p);

    // Title band.
    p.fillRect(QRect(0, 0, 769, 40), kTitle);
    DrawLogo(p, QRectF(14, 8, 24, 24));
    Text(p, QPointF(46, 26), QStringLiteral("Vorpane"), Font(16, true), Qt::white);
    const double titleWidth =
        QFontMetricsF(Font(16, true)).horizontalAdvance(QStringLiteral("Vorpane"));
    Text(p, QPointF(46 + titleWidth + 12, 25), TArtwork::tr("JPEG photos to one PDF"),
         Font(11, false), kTitleSub);

    // Section captions on the body.
    Text(p, QPointF(16, 66), TArtwork::tr("Choose photos"), Font(12, true), kText);
    const double chooseWidth =
        QFontMetricsF(Font(12, true)).horizontalAdvance(TArtwork::tr("Choose photos"));
    Text(p, QPointF(16 + chooseWidth + 8, 66),
         TArtwork::tr("pick a folder, then add its JPEG files to the list"), Font(11, false),
         kMuted);
    Text(p, QPointF(592, 58), TArtwork::tr("Preview"), Font(12, true), kText);

    // The card of the browser and the conversion list.
    const QRectF card(10.5, 76.5, 566, 467);
    QPainterPath cardPath;
    cardPath.addRoundedRect(card, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 35, 60, 14));
    p.drawRoundedRect(card.translated(0, 1.5), 10, 10);
    p.setBrush(kCard);
    p.drawPath(cardPath);
    p.save();
    p.setClipPath(cardPath);
    p.fillRect(QRectF(10, 76, 568, 31), kStrip);
    p.restore();
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cardPath);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(kCardBorder);
    p.drawLine(11, 107, 575, 107);
    p.drawLine(207, 112, 207, 357);
    p.drawLine(11, 362, 575, 362);
    p.setRenderHint(QPainter::Antialiasing, true);

    // Folder caption and the four view tab captions.
    Text(p, QPointF(24, 96), TArtwork::tr("Folders"), Font(11, true), kMuted);
    for (const TTab& tab : kTabs) {
        CentredText(p, QPointF(tab.left + tab.visibleWidth / 2.0, kTabTop + kTabPill / 2.0),
                    TArtwork::tr(tab.caption), TabFont(), kMuted);
    }

    // Under the conversion list.
    Text(p, QPointF(24, 533),
         TArtwork::tr("Double-click a photo, or drag it onto the list, to add it."),
         Font(11, false), kMuted);

    // Options: the size-mode box and the three fields.
    FieldBox(p, QRectF(599.5, 199.5, 131, 23));
    const struct {
        const char* label;
        int top;
        const char* unit;
    } fields[] = {
        {QT_TRANSLATE_NOOP("vorpane::Artwork", "Width"), vorpane::layout::kFieldTop[0], "px"},
        {QT_TRANSLATE_NOOP("vorpane::Artwork", "Height"), vorpane::layout::kFieldTop[1], "px"},
        {QT_TRANSLATE_NOOP("vorpane::Artwork", "Quality"), vorpane::layout::kFieldTop[2], "1-100"}};
    for (const auto& field : fields) {
        // Each box reaches 2.5 pixels past its field on the left and the top.
        const double left = vorpane::layout::kFieldLeft - 2.5;
        Text(p, QPointF(left + 0.5, field.top - 8), TArtwork::tr(field.label), Font(11, true),
             kMuted);
        FieldBox(p, QRectF(left, field.top - 2.5, 135, 24));
        Text(p,
             QPointF(left + 0.5 + 135 -
                         QFontMetricsF(Font(10, false))
                             .horizontalAdvance(QString::fromLatin1(field.unit)),
                     field.top - 8),
             QString::fromLatin1(field.unit), Font(10, false), kMuted);
    }

    // The trough of the progress strip.
    Trough(p, QPointF(vorpane::layout::kProgressStrip.Left, vorpane::layout::kProgressStrip.Top));

    // The window's outline, following its rounded corners.
    p.setPen(QPen(QColor(0x9A, 0xA8, 0xBC), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 766, 546), 15, 15);
    p.end();
    Save(image, QStringLiteral("ImageBg.jpg"), "JPG", 95);
}

// The bar lies inside a copy of the trough, so the one column the strip
// shows when idle is the trough's own edge.
void DrawProgress() {
    QImage image = Canvas(176, 27, kBody);
    QPainter p(&image);
    Smooth(p);
    Trough(p, QPointF(0, 0));
    const QRectF bar(2, 2, 172, 23);
    QPainterPath shape;
    shape.addRoundedRect(bar, 5.5, 5.5);
    QLinearGradient fill(bar.topLeft(), bar.topRight());
    fill.setColorAt(0, kAccent);
    fill.setColorAt(1, QColor(0x3C, 0xC8, 0xE6));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shape);
    p.save();
    p.setClipPath(shape);
    p.setBrush(QColor(255, 255, 255, 34));
    for (int x = -30; x < 200; x += 16) {
        QPolygonF stripe;
        stripe << QPointF(x, 27) << QPointF(x + 8, 27) << QPointF(x + 22, 0) << QPointF(x + 14, 0);
        p.drawPolygon(stripe);
    }
    QLinearGradient gloss(bar.topLeft(), bar.bottomLeft());
    gloss.setColorAt(0, QColor(255, 255, 255, 70));
    gloss.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRect(bar);
    p.restore();
    p.end();
    Save(image, QStringLiteral("ImageProgress.png"));
}

// The box of the "Upright (EXIF)" check box, clear and ticked: a field's
// white box, and ticked the accent's blue with a white tick, as the
// Convert button is drawn.
void DrawCheckBox() {
    for (const bool ticked : {false, true}) {
        QImage image = Canvas(14, 14, Qt::transparent, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        Smooth(p);
        p.setPen(QPen(ticked ? kAccentDark : kFieldBorder, 1));
        p.setBrush(ticked ? kAccent : kCard);
        p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 3, 3);
        if (ticked) {
            QPainterPath tick;
            tick.moveTo(3.5, 7.2);
            tick.lineTo(6, 9.8);
            tick.lineTo(10.5, 4.2);
            p.setPen(Stroke(Qt::white, 2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
        p.end();
        Save(image,
             ticked ? QStringLiteral("ImageCheckOn.png") : QStringLiteral("ImageCheckOff.png"));
    }
}

void DrawPlaceholder() {
    QImage image = Canvas(151, 127, kStrip);
    QPainter p(&image);
    Smooth(p);
    GlyphPhoto(p, QRectF(55.5, 30.5, 40, 32), QColor(0xB3, 0xC1, 0xD4), kCard);
    CentredText(p, QPointF(75.5, 82), TArtwork::tr("No preview"), Font(11, true), kMuted);
    CentredText(p, QPointF(75.5, 98), TArtwork::tr("click a photo to see it"), Font(10, false),
                kMuted);
    p.end();
    Save(image, QStringLiteral("Image7.png"));
}

// The logo on a transparent square, with a margin of 1/32 of the side held
// to whole pixels, so the tile's straight edges stay sharp at small sizes.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Smooth(p);
    const int margin = size / 32;
    DrawLogo(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    return image;
}

void DrawIcon() {
    Save(Icon(256), QStringLiteral("vorpane.png"));
}

// The application icon for the desktop's icon theme, drawn afresh at every
// size it is installed at rather than scaled down from the largest.
void DrawThemeIcons() {
    QDir(outDir).mkpath(QStringLiteral("icons"));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        Save(Icon(size), QStringLiteral("icons/vorpane-%1.png").arg(size));
    }
}

} // namespace

// Every picture of the window, at both scales, in the language loaded now.
void DrawWindow() {
    for (const int pictureScale : {1, 2}) {
        scale = pictureScale;
        DrawSheets();
        DrawTabs();
        DrawListbox();
        DrawBackground();
        DrawProgress();
        DrawPlaceholder();
        DrawCheckBox();
    }
}

int main(int argc, char** argv) {
    // Drawing needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: artgen <folder> [vorpane_LANG.qm...]\n");
        return 64;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    outDir = folder;
    QDir().mkpath(outDir);
    DrawWindow();
    DrawIcon();
    DrawThemeIcons();
    // Each translation: the window's pictures again in <folder>/LANG/, and
    // only those with words in them are kept.
    for (int i = 2; i < argc; ++i) {
        const QString qm = QString::fromLocal8Bit(argv[i]);
        QTranslator translator;
        if (!translator.load(qm) || !application.installTranslator(&translator)) {
            std::fprintf(stderr, "artgen: cannot load %s\n", argv[i]);
            return 1;
        }
        const QString language = QFileInfo(qm).completeBaseName().section(QLatin1Char('_'), 1);
        outDir = folder + QLatin1Char('/') + language;
        QDir(outDir).removeRecursively();
        QDir().mkpath(outDir);
        DrawWindow();
        for (const QFileInfo& drawn : QDir(outDir).entryInfoList(QDir::Files)) {
            QFile english(folder + QLatin1Char('/') + drawn.fileName());
            QFile translated(drawn.filePath());
            if (english.open(QIODevice::ReadOnly) && translated.open(QIODevice::ReadOnly) &&
                english.readAll() == translated.readAll()) {
                QFile::remove(drawn.filePath());
            }
        }
        QCoreApplication::removeTranslator(&translator);
    }
    return 0;
}
