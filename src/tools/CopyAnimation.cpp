#include "tools/CopyAnimation.h"

#include <QPainter>
#include <QWidget>

namespace {

class AnimationWidget : public QWidget {
  public:
    bool active = false;
    int frame = 0;
    static constexpr int kFrames = 16;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width(), h = height();
        auto folder = [&](int x) {
            p.setPen(Qt::darkYellow);
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(x, h / 2 - 10, 28, 22);
            p.drawRect(x, h / 2 - 14, 12, 4);
        };
        folder(4);
        folder(w - 32);
        if (!active) return;
        const int span = w - 60;
        const int x = 18 + span * frame / (kFrames - 1);
        const int lift = (frame * (kFrames - 1 - frame)) * 2 / kFrames;
        p.setPen(Qt::darkGray);
        p.setBrush(Qt::white);
        p.drawRect(x, h / 2 - 18 - lift, 14, 18);
    }
};

AnimationWidget* widgetOf(const TCopyAnimation* a) {
    return static_cast<AnimationWidget*>(a->Widget());
}

}  // namespace

TCopyAnimation::TCopyAnimation(TComponent* owner) : TControl(owner, new AnimationWidget) {}

bool TCopyAnimation::Active() const {
    return widgetOf(this)->active;
}

void TCopyAnimation::SetActive(bool active) {
    auto* w = widgetOf(this);
    w->active = active;
    w->frame = 0;
    w->repaint();
}

void TCopyAnimation::Step() {
    auto* w = widgetOf(this);
    if (!w->active) return;
    w->frame = (w->frame + 1) % AnimationWidget::kFrames;
    w->repaint();
}
