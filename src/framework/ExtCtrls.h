#pragma once

#include <QImage>

#include "framework/Controls.h"

class QLabel;

// A plain container with an optional centred caption.
class TPanel : public TWinControl {
  public:
    explicit TPanel(TComponent* owner);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    void SetBevel(bool raised);

  private:
    QLabel* caption_;
};

enum class TShapeType { stRectangle, stCircle, stEllipse };

// A filled shape; its brush colour is the status light of the query page.
class TShape : public TControl {
  public:
    explicit TShape(TComponent* owner);
    TColor BrushColor() const { return brush_; }
    void SetBrushColor(TColor color);
    void SetShape(TShapeType shape);
    TShapeType Shape() const { return shape_; }

  private:
    TColor brush_ = clWhite;
    TShapeType shape_ = TShapeType::stRectangle;
};

// A picture drawn at its own size from the top-left corner, clipped to the control.
class TImage : public TControl {
  public:
    explicit TImage(TComponent* owner);
    void SetPicture(const QImage& image);
    const QImage& Picture() const { return picture_; }

  private:
    QImage picture_;
};

// A bar between two aligned controls; dragging it resizes the control aligned before it.
class TSplitter : public TControl {
  public:
    explicit TSplitter(TComponent* owner);
};
