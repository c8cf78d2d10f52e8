#pragma once

#include <QString>

#include "framework/Graphics.h"
#include "rtl/Classes.h"

// File dialogs as components: they keep the name chosen last. Execute runs the dialog
// through the dialog seam and answers whether the user confirmed.
class TOpenDialog : public TComponent {
  public:
    using TComponent::TComponent;
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    QString Filter() const { return filter_; }
    void SetDefaultExt(const QString& ext) { defaultExt_ = ext; }
    QString DefaultExt() const { return defaultExt_; }
    void SetTitle(const QString& title) { title_ = title; }
    QString Title() const { return title_; }
    void SetOverwritePrompt(bool on) { overwritePrompt_ = on; }
    virtual bool Execute();

  protected:
    QString fileName_;
    QString filter_;
    QString defaultExt_;
    QString title_;
    bool overwritePrompt_ = false;
};

class TSaveDialog : public TOpenDialog {
  public:
    using TOpenDialog::TOpenDialog;
    bool Execute() override;
};

class TFontDialog : public TComponent {
  public:
    using TComponent::TComponent;
    TFont Font() const { return font_; }
    void SetFont(const TFont& font) { font_ = font; }
    bool Execute();

  private:
    TFont font_;
};

// The input box: the typed text, or the default when the user cancels.
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue);
