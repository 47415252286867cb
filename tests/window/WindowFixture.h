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

#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>

#include <memory>

#include <ostream>

// Readable QString values in assertion messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// A configuration window on a temporary data root, shown and active, with the
// events of its first activation handled.
class WindowFixture : public ::testing::Test
{
protected:
    void TearDown() override;

    // Creates and shows the window; false if it never became active.
    bool Open();
    // Handles pending events until `done` holds (bounded).
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000);
    // The popups currently open, oldest first.
    QList<class TAdmForMn*> Popups() const;
    // Fades the given popup out by its own ticks and lets it go.
    void Dismiss(TAdmForMn* popup);
    QWidget* Focused() const;
    // A key for the focused control; a rejection it causes is followed
    // through: the popup comes up and the window becomes active again.
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Runs `step`; when it brings up a refusal, waits for the window's return.
    void FollowRefusal(const std::function<void()>& step);
    // The texts of the popups currently open, oldest first.
    QStringList Messages() const;

    TempDataRoot root_;
    QPointer<TAdmFor00> window_;
    // The window's activations since Open().
    std::unique_ptr<QSignalSpy> activations_;
};
