#include "framework/ExtCtrls.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

class ShapeWidget : public QWidget {
  public:
    explicit ShapeWidget(TShape* shape) : shape_(shape) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(ToQColor(shape_->BrushColor()));
        p.setPen(Qt::black);
        QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -1, -1);
        switch (shape_->Shape()) {
            case TShapeType::stCircle: {
                const qreal d = std::min(r.width(), r.height());
                QRectF c(0, 0, d, d);
                c.moveCenter(r.center());
                p.drawEllipse(c);
                break;
            }
            case TShapeType::stEllipse:
                p.drawEllipse(r);
                break;
            case TShapeType::stRectangle:
                p.drawRect(r);
                break;
        }
    }

  private:
    TShape* shape_;
};

class ImageWidget : public QWidget {
  public:
    explicit ImageWidget(TImage* image) : image_(image) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        if (image_->Picture().isNull()) return;
        QPainter p(this);
        p.drawImage(QPoint(0, 0), image_->Picture());
    }

  private:
    TImage* image_;
};

class SplitterWidget : public QFrame {
  public:
    explicit SplitterWidget(TSplitter* splitter) : splitter_(splitter) {
        setCursor(Qt::SplitVCursor);
        setFrameShape(QFrame::NoFrame);
    }

  protected:
    void mousePressEvent(QMouseEvent* e) override { lastY_ = e->globalPosition().y(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!(e->buttons() & Qt::LeftButton)) return;
        TWinControl* parent = splitter_->Parent();
        if (parent == nullptr) return;
        // The control aligned to the top just before the splitter takes the change.
        TControl* before = nullptr;
        for (TControl* c : parent->Controls()) {
            if (c == splitter_) break;
            if (c->Align() == TAlign::alTop && c->Visible()) before = c;
        }
        if (before == nullptr) return;
        const int dy = static_cast<int>(e->globalPosition().y() - lastY_);
        lastY_ = e->globalPosition().y();
        before->SetHeight(std::max(20, before->Height() + dy));
    }

  private:
    TSplitter* splitter_;
    qreal lastY_ = 0;
};

}  // namespace

TPanel::TPanel(TComponent* owner) : TWinControl(owner, new QFrame) {
    auto* frame = static_cast<QFrame*>(Widget());
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    caption_ = new QLabel(frame);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(caption_);
}

QString TPanel::Caption() const {
    return caption_->text();
}

void TPanel::SetCaption(const QString& caption) {
    caption_->setText(caption);
}

void TPanel::SetBevel(bool raised) {
    static_cast<QFrame*>(Widget())->setFrameShape(raised ? QFrame::StyledPanel : QFrame::NoFrame);
}

TShape::TShape(TComponent* owner) : TControl(owner, new ShapeWidget(this)) {}

void TShape::SetBrushColor(TColor color) {
    brush_ = color;
    if (Widget()) Widget()->update();
}

void TShape::SetShape(TShapeType shape) {
    shape_ = shape;
    if (Widget()) Widget()->update();
}

TImage::TImage(TComponent* owner) : TControl(owner, new ImageWidget(this)) {}

void TImage::SetPicture(const QImage& image) {
    picture_ = image;
    if (Widget()) Widget()->update();
}

TSplitter::TSplitter(TComponent* owner) : TControl(owner, new SplitterWidget(this)) {
    SetHeight(4);
}
