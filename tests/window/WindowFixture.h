#pragma once

#include "AdmUn00.h"
#include "Bevel.h"
#include "BitBtn.h"
#include "Edit.h"
#include "ImageBox.h"
#include "Panel.h"
#include "SpeedButton.h"
#include "TempDataRoot.h"
#include "UiTimer.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPointer>
#include <QSignalSpy>

#include <memory>

#include <ostream>

// Readable QString values in assertion messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// The colours of a field with the focus and of one without.
QColor FocusColour();
QColor RestColour();

// A configuration window on a temporary data root, shown and active, with the
// events of its first activation handled. The popups it brings up are off the
// real clock (see StoppedClock.h): only Dismiss and explicit ticks end them.
class WindowFixture : public ::testing::Test
{
protected:
    void TearDown() override;

    // Creates and shows the window; false if it never became active.
    bool Open();
    // Writes `file` as the settings file, then opens the window.
    bool OpenWith(const QByteArray& file);
    // The popups currently open, oldest first.
    QList<class TAdmForMn*> Popups() const;
    // Fades the given popup out by its own ticks and lets it go.
    void Dismiss(TAdmForMn* popup);
    // Lets the newest popup go once it has the focus; false unless the
    // window is activated again.
    [[nodiscard]] bool DismissLast();
    QWidget* Focused() const;
    // A key for the focused control; a rejection it causes is followed
    // through: the popup comes up and the window becomes active again.
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Clicks the save button and follows a rejection through, as Press does.
    void ClickSave();
    // Runs `step`; when it brings up a refusal, waits for the window's return.
    void FollowRefusal(const std::function<void()>& step);
    // The texts of the popups currently open, oldest first.
    QStringList Messages() const;
    // The six slots as "hour|minute", in slot order.
    QStringList Times() const;
    // Types `text` into `w`, one key press and release for each character,
    // with the key code a desktop gives it; characters no key code names
    // (digits of other scripts) get their own code point, as under X11.
    static void Type(QWidget* w, const QString& text);

    TempDataRoot root_;
    QPointer<TAdmFor00> window_;
    // The window's activations since Open().
    std::unique_ptr<QSignalSpy> activations_;

private:
    std::unique_ptr<QObject> popupClocks_;
};
