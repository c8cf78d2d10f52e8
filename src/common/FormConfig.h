#pragma once

#include "common/FormConfigFile.h"
#include "framework/Forms.h"

class TPanel;
class TBitBtn;

// A window that keeps its placement, caption and its components' texts (and, where a
// component is marked, the user's content) in a settings file of its own in the
// settings folder. The file is read at creation and written at every close; the
// button on the status panel lets the user edit it by hand.
class TFormConfig : public TForm {
  public:
    explicit TFormConfig(TComponent* owner);

    TPanel* Status;
    TBitBtn* BUstawieniaFormularza;

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void BUstawieniaFormularzaClick(TObject* sender);

    // Replaces the settings file whole with the window's current state.
    void SaveFormConfig();
    // Reads the settings file, when there is one, and applies it.
    void LoadFormConfig();
    // Settings folder + application title + "." + Name + "." + ext, cut to 255 characters.
    QString ConfigFileName(const QString& ext) const;
    void UpdateStatusCaption();
};
