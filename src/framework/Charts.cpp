#include "framework/Charts.h"

#include <QChart>
#include <QChartView>

// The title's lines as a list of their own; every change is shown at once. Several
// lines are set as rich text, since a plain chart title is one line.
class TChartTitle::TitleLines : public TStringList {
  public:
    explicit TitleLines(QChart* chart) : chart_(chart) {}

  protected:
    void Changed() override {
        TStringList::Changed();
        const QStringList lines = ToStringList();
        if (lines.size() <= 1) {
            chart_->setTitle(lines.value(0));
            return;
        }
        QStringList escaped;
        escaped.reserve(lines.size());
        for (const QString& line : lines) escaped.append(line.toHtmlEscaped());
        chart_->setTitle(escaped.join(QStringLiteral("<br>")));
    }

  private:
    QChart* chart_;
};

TChartTitle::TChartTitle(QChart* chart) : lines_(std::make_unique<TitleLines>(chart)) {}

TChartTitle::~TChartTitle() = default;

TStrings& TChartTitle::Text() {
    return *lines_;
}

const TStrings& TChartTitle::Text() const {
    return *lines_;
}

TCustomChart::TCustomChart(TComponent* owner)
    : TWinControl(owner, new QChartView), Title(static_cast<QChartView*>(Widget())->chart()) {}

TCustomChart::~TCustomChart() = default;

QChartView* TCustomChart::View() const {
    return static_cast<QChartView*>(Widget());
}

QChart* TCustomChart::Chart() const {
    return View()->chart();
}

TChart::TChart(TComponent* owner) : TCustomChart(owner) {}

TDBChart::TDBChart(TComponent* owner) : TCustomChart(owner) {}
