#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "framework/Graphics.h"
#include "rtl/Classes.h"

class TWinControl;
class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TShiftFlag { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = int;

// Windows virtual-key codes of the keys handlers look at.
enum TVirtualKey : int {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
};
// The virtual-key code of a Qt key (letters and digits as their upper-case codes); 0 when none.
int VirtualKeyFromQt(int qtKey);

// Key handlers may set key to 0 to swallow the key.
using TKeyEvent = std::function<void(TObject* sender, int& key, TShiftState shift)>;

// A visual control: a component that owns one Qt widget. The widget's objectName and
// accessible name are the component's Name, so tests and assistive tools find it.
class TControl : public TComponent {
  public:
    TControl(TComponent* owner, QWidget* widget);
    ~TControl() override;

    void SetName(const QString& name) override;
    QWidget* Widget() const { return widget_; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return bounds_.x(); }
    int Top() const { return bounds_.y(); }
    int Width() const { return bounds_.width(); }
    int Height() const { return bounds_.height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    QRect BoundsRect() const { return bounds_; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Showing() const;

    bool Enabled() const { return widget_ && widget_->isEnabled(); }
    virtual void SetEnabled(bool enabled);

    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    virtual QString Caption() const { return QString(); }
    virtual void SetCaption(const QString&) {}

    TFont Font() const;
    virtual void SetFont(const TFont& font);
    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);

    void SetPopupMenu(TPopupMenu* menu);

    // Paints the control at once, without waiting for the message loop.
    void Repaint();

    TNotifyEvent OnClick;

  protected:
    void ApplyPalette();
    // Subclasses call this from their signal connections.
    void FireClick();

  private:
    friend class TWinControl;
    QPointer<QWidget> widget_;
    TWinControl* parent_ = nullptr;
    QRect bounds_;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    QString hint_;
    bool showHint_ = false;
    TColor color_ = clDefault;
    TColor fontColor_ = clDefault;
};

// A control that holds others. Children with an Align are laid out in the classic way:
// top and bottom ones across the client area, then left and right, the client one last.
class TWinControl : public TControl {
  public:
    TWinControl(TComponent* owner, QWidget* widget);
    ~TWinControl() override;

    // The widget children are placed in (the widget itself unless a subclass says otherwise).
    virtual QWidget* ClientWidget() const { return Widget(); }
    const std::vector<TControl*>& Controls() const { return children_; }
    int ControlCount() const { return static_cast<int>(children_.size()); }

    void SetFocus();
    bool CanFocus() const;
    bool Focused() const;

    // Lays out the aligned children now.
    void Realign();

    // The focus moving into the control from elsewhere in its window, and out of it to
    // another control; not the window losing or getting back the focus as a whole.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;

  protected:
    // The widget whose key and focus events count as this control's.
    virtual QWidget* FocusWidget() const { return Widget(); }
    void WatchInput();

  private:
    friend class TControl;
    void focusEntered();
    void focusLeft(Qt::FocusReason reason);
    void addChild(TControl* c);
    void removeChild(TControl* c);
    void installLayoutWatch();

    std::vector<TControl*> children_;
    bool layoutWatched_ = false;
    bool inputWatched_ = false;
    // The input watch calls this object's handlers: it goes before the object does, so
    // the focus loss of a widget being destroyed never reaches a half-destroyed control.
    QPointer<QObject> inputHook_;
};
