#include "ui/experiment/UChartSvg.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <cmath>

namespace {

QString Escaped(const QString& Text) {
  return Text.toHtmlEscaped();
}

QString Colour(const QColor& C) {
  return C.name(QColor::HexRgb);
}

QString N(double X) {
  return QString::number(X, 'f', 2);
}

QString Text(double X, double Y, const QString& Anchor, const QString& Body, int Size = 11,
             double Rotate = 0) {
  QString t = "<text x=\"" + N(X) + "\" y=\"" + N(Y) + "\" font-size=\"" + QString::number(Size) +
              "\" text-anchor=\"" + Anchor + "\"";
  if (Rotate != 0)
    t += " transform=\"rotate(" + N(Rotate) + " " + N(X) + " " + N(Y) + ")\"";
  return t + ">" + Escaped(Body) + "</text>\n";
}

// A tick's label as the axis writes it ("%d" takes a whole number).
QString Label(const QString& Format, double X) {
  if (Format.contains('d'))
    return QString::asprintf(Format.toLatin1().constData(), static_cast<int>(std::lround(X)));
  return QString::asprintf(Format.toLatin1().constData(), X);
}

struct TScale {
  double Min = 0, Max = 1, From = 0, To = 1; // values Min..Max onto pixels From..To
  double operator()(double V) const { return From + (V - Min) / (Max - Min) * (To - From); }
};

std::vector<double> Ticks(const QValueAxis& Axis) {
  std::vector<double> ticks;
  if (Axis.tickType() == QValueAxis::TicksDynamic && Axis.tickInterval() > 0) {
    const double step = Axis.tickInterval();
    double t = Axis.tickAnchor() + std::ceil((Axis.min() - Axis.tickAnchor()) / step - 1e-9) * step;
    for (; t <= Axis.max() + 1e-9 && ticks.size() < 200; t += step)
      ticks.push_back(t);
  } else {
    const int n = std::max(2, Axis.tickCount());
    for (int i = 0; i < n; ++i)
      ticks.push_back(Axis.min() + (Axis.max() - Axis.min()) * i / (n - 1));
  }
  return ticks;
}

QString Axis(QAbstractAxis* Axis, bool Horizontal, const QRectF& Plot, TScale& Scale) {
  QString svg;
  Scale.From = Horizontal ? Plot.left() : Plot.bottom();
  Scale.To = Horizontal ? Plot.right() : Plot.top();
  const auto tick = [&](double V, const QString& Text_, bool Line) {
    const double p = Scale(V);
    if (Line)
      svg += Horizontal ? "<line x1=\"" + N(p) + "\" y1=\"" + N(Plot.top()) + "\" x2=\"" + N(p) +
                              "\" y2=\"" + N(Plot.bottom()) + "\" stroke=\"#dddddd\"/>\n"
                        : "<line x1=\"" + N(Plot.left()) + "\" y1=\"" + N(p) + "\" x2=\"" +
                              N(Plot.right()) + "\" y2=\"" + N(p) + "\" stroke=\"#dddddd\"/>\n";
    svg += Horizontal ? Text(p, Plot.bottom() + 15, "middle", Text_)
                      : Text(Plot.left() - 5, p + 4, "end", Text_);
  };
  if (auto* value = qobject_cast<QValueAxis*>(Axis)) {
    Scale.Min = value->min();
    Scale.Max = value->max();
    for (double t : Ticks(*value))
      tick(t, Label(value->labelFormat(), t), true);
  } else if (auto* category = qobject_cast<QCategoryAxis*>(Axis)) {
    Scale.Min = category->min();
    Scale.Max = category->max();
    double start = category->startValue();
    for (const QString& label : category->categoriesLabels()) {
      const double end = category->endValue(label);
      tick((start + end) / 2, label, false);
      start = end;
    }
  }
  const QString title = Axis->titleText();
  svg += Horizontal ? Text(Plot.center().x(), Plot.bottom() + 34, "middle", title, 12)
                    : Text(Plot.left() - 48, Plot.center().y(), "middle", title, 12, -90);
  return svg;
}

QString Panel(QChart& Chart, double Left, int Width, int Height) {
  const QRectF plot = Chart.plotArea().translated(Left, 0);
  QString svg = Text(Left + Width / 2.0, 22, "middle", Chart.title(), 13);
  svg += "<rect x=\"" + N(plot.left()) + "\" y=\"" + N(plot.top()) + "\" width=\"" +
         N(plot.width()) + "\" height=\"" + N(plot.height()) +
         "\" fill=\"none\" stroke=\"#888888\"/>\n";
  TScale x, y;
  for (QAbstractAxis* a : Chart.axes(Qt::Horizontal))
    svg += Axis(a, true, plot, x);
  for (QAbstractAxis* a : Chart.axes(Qt::Vertical))
    svg += Axis(a, false, plot, y);
  QString legend;
  double legendX = Left + 20;
  for (QAbstractSeries* s : Chart.series()) {
    if (auto* scatter = qobject_cast<QScatterSeries*>(s)) {
      for (const QPointF& p : scatter->points())
        svg += "<circle cx=\"" + N(x(p.x())) + "\" cy=\"" + N(y(p.y())) + "\" r=\"" +
               N(scatter->markerSize() / 2) + "\" fill=\"" + Colour(scatter->color()) +
               "\" fill-opacity=\"" + N(scatter->color().alphaF()) + "\"/>\n";
    } else if (auto* line = qobject_cast<QLineSeries*>(s)) {
      QString points;
      for (const QPointF& p : line->points())
        points += N(x(p.x())) + "," + N(y(p.y())) + " ";
      svg += "<polyline points=\"" + points.trimmed() + "\" fill=\"none\" stroke=\"" +
             Colour(line->color()) + "\" stroke-width=\"" + N(line->pen().widthF()) + "\"/>\n";
      if (line->pointsVisible())
        for (const QPointF& p : line->points())
          svg += "<circle cx=\"" + N(x(p.x())) + "\" cy=\"" + N(y(p.y())) + "\" r=\"3\" fill=\"" +
                 Colour(line->color()) + "\"/>\n";
      const QList<QLegendMarker*> markers = Chart.legend()->markers(s);
      if (!markers.isEmpty() && markers[0]->isVisible()) {
        legend += "<rect x=\"" + N(legendX) + "\" y=\"" + N(Height - 26.0) +
                  "\" width=\"10\" height=\"10\" fill=\"" + Colour(line->color()) + "\"/>\n" +
                  Text(legendX + 14, Height - 17.0, "start", line->name());
        legendX += 24 + 6.5 * line->name().size();
      }
    }
  }
  return svg + legend;
}

} // namespace

QString TChartSvg::Of(const std::vector<QChart*>& Panels, int Width, int Height) {
  const int width = Width * static_cast<int>(Panels.size());
  QString svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                QString::number(width) + "\" height=\"" + QString::number(Height) +
                "\" viewBox=\"0 0 " + QString::number(width) + " " + QString::number(Height) +
                "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" "
                "fill=\"white\"/>\n";
  for (size_t i = 0; i < Panels.size(); ++i)
    svg += Panel(*Panels[i], static_cast<double>(i) * Width, Width, Height);
  return svg + "</svg>\n";
}
