#include "ui/widgets/painted_symbols.h"

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include <QPainterPath>
#include <QPainterPathStroker>

namespace tintwell::ui {
namespace {

// Symbols are drawn on a 24 × 24 grid and scaled to the box, so they stay sharp at any size.
class Pen {
public:
    Pen(QPainter& p, const SymbolColors& c) : p_(p), c_(c) {}

    QColor ink() const { return c_.ink; }
    QColor accent() const { return c_.accent.isValid() ? c_.accent : c_.ink; }

    void fill(const QPainterPath& path, const QColor& color) {
        if (c_.outline.isValid())
            p_.setPen(QPen(c_.outline, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        else
            p_.setPen(Qt::NoPen);
        p_.setBrush(color);
        p_.drawPath(path);
    }
    void fill(const QPainterPath& path) { fill(path, c_.ink); }

    void stroke(const QPainterPath& path, double width, const QColor& color) {
        p_.setBrush(Qt::NoBrush);
        if (c_.outline.isValid()) {
            p_.setPen(QPen(c_.outline, width + 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p_.drawPath(path);
        }
        p_.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p_.drawPath(path);
    }
    void stroke(const QPainterPath& path, double width = 1.8) { stroke(path, width, c_.ink); }

    void text(const QRectF& r, const QString& s, const QColor& color, int pixelSize) {
        QFont f = p_.font();
        f.setPixelSize(pixelSize); // in the 24-unit grid
        f.setBold(true);
        p_.save();
        p_.setFont(f);
        p_.setPen(color);
        p_.drawText(r, Qt::AlignCenter, s);
        p_.restore();
    }

private:
    QPainter& p_;
    SymbolColors c_;
};

QPainterPath circle(double x, double y, double r) {
    QPainterPath p;
    p.addEllipse(QPointF(x, y), r, r);
    return p;
}

QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false) {
    QPainterPath p;
    auto it = points.begin();
    p.moveTo(*it);
    for (++it; it != points.end(); ++it)
        p.lineTo(*it);
    if (closed)
        p.closeSubpath();
    return p;
}

QPainterPath roundedRect(double x, double y, double w, double h, double r) {
    QPainterPath p;
    p.addRoundedRect(QRectF(x, y, w, h), r, r);
    return p;
}

void sun(Pen& pen, double cx, double cy, double scale) {
    QPainterPath rays;
    for (int i = 0; i < 8; ++i) {
        const double a = i * std::numbers::pi / 4;
        rays.moveTo(cx + std::cos(a) * 7.2 * scale, cy + std::sin(a) * 7.2 * scale);
        rays.lineTo(cx + std::cos(a) * 10 * scale, cy + std::sin(a) * 10 * scale);
    }
    pen.stroke(rays, 1.9 * scale);
    pen.fill(circle(cx, cy, 4.6 * scale));
}

void star(Pen& pen, double cx, double cy, double r) {
    pen.fill(polyline({{cx, cy - r},
                       {cx + r * 0.3, cy - r * 0.3},
                       {cx + r, cy},
                       {cx + r * 0.3, cy + r * 0.3},
                       {cx, cy + r},
                       {cx - r * 0.3, cy + r * 0.3},
                       {cx - r, cy},
                       {cx - r * 0.3, cy - r * 0.3}},
                      true),
             pen.accent());
}

void warningTriangle(Pen& pen, double x, double y, double size, bool filled, const QColor& mark) {
    const auto tri = polyline({{x + size / 2, y}, {x + size, y + size * 0.9}, {x, y + size * 0.9}}, true);
    if (filled)
        pen.fill(tri, pen.accent());
    else
        pen.stroke(tri, 1.6);
    QPainterPath bar;
    bar.moveTo(x + size / 2, y + size * 0.32);
    bar.lineTo(x + size / 2, y + size * 0.58);
    pen.stroke(bar, size * 0.11, filled ? mark : pen.ink());
    pen.fill(circle(x + size / 2, y + size * 0.74, size * 0.06), filled ? mark : pen.ink());
}

QPainterPath locationArrow(double dx, double dy, double k) {
    return polyline({{dx + 19 * k, dy + 5 * k},
                     {dx + 5 * k, dy + 11.5 * k},
                     {dx + 12 * k, dy + 12 * k},
                     {dx + 12.5 * k, dy + 19 * k}},
                    true);
}

QPainterPath gear() {
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(12, 12);
        t.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-2, -10.5, 4, 5), 0.8, 0.8);
        teeth.addPath(t.map(tooth));
    }
    QPainterPath body = circle(12, 12, 7.2).united(teeth);
    return body.subtracted(circle(12, 12, 3));
}

using Painter = std::function<void(Pen&)>;

const std::map<QString, Painter>& painters() {
    static const std::map<QString, Painter> table{
        {"sun.max", [](Pen& p) { sun(p, 12, 12, 1.0); }},
        {"sun.max.fill", [](Pen& p) { sun(p, 12, 12, 1.0); }},
        {"moon.stars",
         [](Pen& p) {
             p.fill(circle(11, 13, 8.5).subtracted(circle(16, 8.5, 7.2)));
             star(p, 18.5, 5, 3);
             star(p, 20, 13, 2.2);
         }},
        {"sun.max.trianglebadge.exclamationmark",
         [](Pen& p) {
             sun(p, 9.5, 9.5, 0.82);
             warningTriangle(p, 11, 11.5, 12.5, true, Qt::white);
         }},
        {"exclamationmark.triangle", [](Pen& p) { warningTriangle(p, 2.5, 3, 19, false, Qt::white); }},
        {"exclamationmark.triangle.fill", [](Pen& p) { warningTriangle(p, 2.5, 3, 19, true, Qt::white); }},
        {"gearshape", [](Pen& p) { p.fill(gear()); }},
        {"plus.circle",
         [](Pen& p) {
             p.stroke(circle(12, 12, 9), 1.6);
             p.stroke(polyline({{12, 7.5}, {12, 16.5}}), 1.8);
             p.stroke(polyline({{7.5, 12}, {16.5, 12}}), 1.8);
         }},
        {"checkmark",
         [](Pen& p) {
             p.stroke(polyline({{5, 12.5}, {10, 17.5}, {19, 6.5}}), 2.4);
         }},
        {"chevron.left",
         [](Pen& p) {
             p.stroke(polyline({{15, 4.5}, {7.5, 12}, {15, 19.5}}), 2.4);
         }},
        {"arrow.up",
         [](Pen& p) {
             p.stroke(polyline({{12, 20}, {12, 4.5}, {6, 10.5}, {12, 4.5}, {18, 10.5}}), 2.2);
         }},
        {"arrow.down",
         [](Pen& p) {
             p.stroke(polyline({{12, 4}, {12, 19.5}, {6, 13.5}, {12, 19.5}, {18, 13.5}}), 2.2);
         }},
        {"trash",
         [](Pen& p) {
             p.stroke(polyline({{4, 6.5}, {20, 6.5}}), 1.8);
             p.stroke(polyline({{9.5, 6.5}, {9.5, 3.5}, {14.5, 3.5}, {14.5, 6.5}}), 1.6);
             p.stroke(polyline({{6, 6.5}, {7, 20.5}, {17, 20.5}, {18, 6.5}}), 1.6);
             p.stroke(polyline({{10, 10}, {10, 17}}), 1.4);
             p.stroke(polyline({{14, 10}, {14, 17}}), 1.4);
         }},
        {"lock.shield.fill",
         [](Pen& p) {
             QPainterPath shackle;
             shackle.moveTo(10, 11);
             shackle.lineTo(10, 9);
             shackle.arcTo(QRectF(10, 7, 4, 4), 180, -180);
             shackle.lineTo(14, 11);
             QPainterPathStroker line;
             line.setWidth(1.3);
             line.setCapStyle(Qt::RoundCap);
             // Cut out rather than painted white, the lock shows on a light ink (a dark theme) too.
             const QPainterPath lock = line.createStroke(shackle).united(roundedRect(8.5, 10.5, 7, 5.5, 1));
             p.fill(polyline({{12, 2.5}, {20, 5.5}, {20, 11}, {12, 21.5}, {4, 11}, {4, 5.5}}, true)
                        .subtracted(lock));
         }},
        {"app",
         [](Pen& p) {
             // A window with its title bar: a bare rounded square reads as an empty check box.
             p.stroke(roundedRect(3.5, 4.5, 17, 15, 3), 1.6);
             p.stroke(polyline({{3.5, 9}, {20.5, 9}}), 1.4);
         }},
        {"questionmark.circle",
         [](Pen& p) {
             p.stroke(circle(12, 12, 9), 1.6);
             p.text(QRectF(4, 4, 16, 16), QStringLiteral("?"), p.ink(), 13);
         }},
        {"info.circle",
         [](Pen& p) {
             p.stroke(circle(12, 12, 9), 1.6);
             p.stroke(polyline({{12, 11}, {12, 16.5}}), 2);
             p.fill(circle(12, 7.8, 1.2));
         }},
        {"globe",
         [](Pen& p) {
             p.stroke(circle(12, 12, 9), 1.6);
             QPainterPath meridian;
             meridian.addEllipse(QPointF(12, 12), 4, 9);
             p.stroke(meridian, 1.3);
             p.stroke(polyline({{3, 12}, {21, 12}}), 1.3);
             p.stroke(polyline({{4.5, 7.5}, {19.5, 7.5}}), 1.1);
             p.stroke(polyline({{4.5, 16.5}, {19.5, 16.5}}), 1.1);
         }},
        {"rectangle.stack",
         [](Pen& p) {
             p.stroke(roundedRect(4, 9, 16, 11, 2), 1.6);
             p.stroke(polyline({{6, 6.5}, {18, 6.5}}), 1.6);
             p.stroke(polyline({{8, 4}, {16, 4}}), 1.6);
         }},
        {"keyboard",
         [](Pen& p) {
             p.stroke(roundedRect(2.5, 6, 19, 12, 2), 1.6);
             for (int row = 0; row < 2; ++row)
                 for (int col = 0; col < 5; ++col)
                     p.fill(circle(6 + col * 3, 9.5 + row * 3, 0.9));
             p.stroke(polyline({{8, 15.5}, {16, 15.5}}), 1.5);
         }},
        {"arrow.triangle.2.circlepath",
         [](Pen& p) {
             QPainterPath upper;
             upper.arcMoveTo(QRectF(4, 4, 16, 16), 160);
             upper.arcTo(QRectF(4, 4, 16, 16), 160, -140);
             QPainterPath lower;
             lower.arcMoveTo(QRectF(4, 4, 16, 16), -20);
             lower.arcTo(QRectF(4, 4, 16, 16), -20, -140);
             p.stroke(upper, 1.7);
             p.stroke(lower, 1.7);
             p.fill(polyline({{17, 9.5}, {22, 9.5}, {19.5, 13}}, true));
             p.fill(polyline({{7, 14.5}, {2, 14.5}, {4.5, 11}}, true));
         }},
        {"arrow.down.circle",
         [](Pen& p) {
             p.stroke(circle(12, 12, 9), 1.6);
             p.stroke(polyline({{12, 7}, {12, 16.5}}), 1.8);
             p.stroke(polyline({{8, 12.5}, {12, 16.5}, {16, 12.5}}), 1.8);
         }},
        {"location.fill", [](Pen& p) { p.fill(locationArrow(0, 0, 1)); }},
        {"location.slash.fill",
         [](Pen& p) {
             p.fill(locationArrow(0, 0, 1));
             p.stroke(polyline({{4, 4}, {20, 20}}), 2);
         }},
        {"location.fill.viewfinder",
         [](Pen& p) {
             for (const auto& corner :
                  {polyline({{3, 8}, {3, 3}, {8, 3}}), polyline({{16, 3}, {21, 3}, {21, 8}}),
                   polyline({{21, 16}, {21, 21}, {16, 21}}), polyline({{8, 21}, {3, 21}, {3, 16}})})
                 p.stroke(corner, 1.6);
             p.fill(locationArrow(3.6, 3.6, 0.7));
         }},
        {"app.badge.checkmark",
         [](Pen& p) {
             p.stroke(roundedRect(3, 5, 15, 15, 3.5), 1.6);
             p.stroke(polyline({{14, 6}, {17, 9}, {22, 2.5}}), 2, p.accent());
         }},
        {"paintpalette.fill",
         [](Pen& p) {
             // The paint dots are holes, as the thumb hole is, to show on a light ink as well.
             QPainterPath palette = circle(12, 12, 9.5).subtracted(circle(16.5, 15.5, 2.2));
             for (const QPointF& dot : {QPointF(7.5, 10), QPointF(11, 6.5), QPointF(15.5, 7.5)})
                 palette = palette.subtracted(circle(dot.x(), dot.y(), 1.6));
             p.fill(palette);
         }},
        {"rectangle.3.group",
         [](Pen& p) {
             p.stroke(roundedRect(2.5, 4, 8, 7, 1.5), 1.5);
             p.stroke(roundedRect(13.5, 4, 8, 7, 1.5), 1.5);
             p.stroke(roundedRect(7, 14, 10, 7, 1.5), 1.5);
         }},
        {"arrow.up.forward.app",
         [](Pen& p) {
             p.stroke(polyline({{11, 4}, {4, 4}, {4, 20}, {20, 20}, {20, 13}}), 1.6);
             p.stroke(polyline({{10, 14}, {20, 4}}), 1.8);
             p.stroke(polyline({{14, 4}, {20, 4}, {20, 10}}), 1.8);
         }},
        {"testtube",
         [](Pen& p) {
             p.stroke(polyline({{9, 3}, {15, 3}}), 1.8);
             p.stroke(
                 polyline({{10, 3}, {10, 9}, {4.5, 19}, {5.5, 21}, {18.5, 21}, {19.5, 19}, {14, 9}, {14, 3}}),
                 1.6);
             p.fill(polyline({{7, 15}, {17, 15}, {19, 19.5}, {5, 19.5}}, true), p.accent());
         }},
    };
    return table;
}

using Painters = std::map<QString, Painter>;

/// For "x.circle.fill", the painter of "x" or else of "x.fill".
Painters::const_iterator innerOfDisc(const Painters& table, const QString& name) {
    const QString suffix = QStringLiteral(".circle.fill");
    if (!name.endsWith(suffix))
        return table.end();
    const QString base = name.chopped(suffix.size());
    const auto it = table.find(base);
    return it != table.end() ? it : table.find(base + QStringLiteral(".fill"));
}

} // namespace

bool paintSymbol(QPainter& painter, const QString& name, const QRectF& box, const SymbolColors& colors) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 24.0, box.height() / 24.0);
    Pen pen(painter, colors);
    const auto& table = painters();
    auto it = table.find(name);
    if (it != table.end()) {
        it->second(pen);
    } else if (auto inner = innerOfDisc(table, name); inner != table.end()) {
        // "x.circle.fill": the symbol x in white on a disc of the ink colour.
        pen.fill(circle(12, 12, 11.5));
        painter.translate(12, 12);
        painter.scale(0.62, 0.62);
        painter.translate(-12, -12);
        Pen white(painter, {Qt::white, {}, Qt::white});
        inner->second(white);
        it = inner;
    } else {
        pen.stroke(circle(12, 12, 8.5), 1.6);
        pen.text(QRectF(4, 4, 16, 16), name.left(1).toUpper(), colors.ink, 11);
    }
    painter.restore();
    return it != table.end();
}

} // namespace tintwell::ui
