#pragma once

#include <QByteArray>
#include <QString>

class TForm;

// Marks in a component's Tag that steer its window's settings file.
constexpr int PersistContentTag = 67108864;  // also keep the user's content
constexpr int SkipGridTitlesTag = 33554432;  // keep none of a data grid's titles

// The lines of a window's settings file: Windows-1250, a line ends at CR (an LF right
// after it belongs to the break), code 26 ends the file, and past the end every line
// reads as empty. Works on bytes alone, so it needs no window.
class ConfigLineReader {
  public:
    explicit ConfigLineReader(const QByteArray& bytes);
    // The next line cut to 255 characters (the rest of it is skipped).
    QString ReadLine();
    // The next line whole.
    QString ReadWholeLine();
    bool AtEnd() const { return pos_ >= text_.size(); }

  private:
    QString text_;
    qsizetype pos_ = 0;
};

// What reading a settings file came to.
struct FormConfigOutcome {
    enum Kind {
        Complete,  // every record was applied
        Stopped,   // a name line differed: reading stopped silently
        Damaged,   // a value could not be applied
    } kind = Complete;
    // The component whose record was being read when the file was found damaged (the
    // window itself for its eight header lines).
    QString object;
};

// The settings file of `form`: the eight header lines, then for every owned component
// its content record and, for a control, its control record. `fileName` only names the
// file in the error raised (EInOutError) when a text holds a character Windows-1250
// cannot store.
QByteArray FormConfigBytes(const TForm& form, const QString& fileName);

// Applies a settings file to `form`, each value as soon as it is read; what was applied
// before a mismatch or damage stays.
FormConfigOutcome ApplyFormConfig(TForm& form, const QByteArray& bytes);
