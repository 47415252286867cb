#include "WindowFixture.h"

#include "Bevel.h"
#include "BitBtn.h"
#include "DesignColor.h"
#include "Edit.h"
#include "ImageBox.h"
#include "Panel.h"
#include "SpeedButton.h"
#include "StoppedClock.h"
#include "UiTimer.h"

#include "AdmUnMn.h"
#include "Memo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

// Takes every popup off the real clock as it is shown, before the event loop
// can deliver a tick of its display time.
class PopupClockStopper : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* popup = qobject_cast<TAdmForMn*>(watched);
            if (popup && !StopEveryClock(popup))
                ADD_FAILURE() << "a popup's timer runs on the real clock";
        }
        return false;
    }
};

} // namespace

QColor FocusColour()
{
    return DesignColor(0x8CFFFF);
}

QColor RestColour()
{
    return DesignColor(0xF3F3F3);
}

void WindowFixture::TearDown()
{
    activations_.reset();
    delete window_.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    popupClocks_.reset();
}

bool WindowFixture::Open()
{
    if (!popupClocks_) {
        popupClocks_ = std::make_unique<PopupClockStopper>();
        qApp->installEventFilter(popupClocks_.get());
    }
    window_ = new TAdmFor00(root_.Path());
    activations_ = std::make_unique<QSignalSpy>(window_.data(), &Form::activated);
    window_->ShowFirstTime();
    return WaitFor([this] { return window_ && activations_->count() > 0 && QApplication::focusWidget() != nullptr; });
}

QList<TAdmForMn*> WindowFixture::Popups() const
{
    return window_ ? window_->findChildren<TAdmForMn*>(Qt::FindDirectChildrenOnly) : QList<TAdmForMn*>{};
}

void WindowFixture::Dismiss(TAdmForMn* popup)
{
    QPointer<TAdmForMn> p = popup;
    p->IniciaFechamento();
    for (int i = 0; i < 30 && p && p->isVisible(); ++i)
        p->TempFecha->Tick();
    WaitFor([&] { return p.isNull(); });
}

bool WindowFixture::OpenWith(const QByteArray& file)
{
    root_.WriteSettings(file);
    return Open();
}

bool WindowFixture::DismissLast()
{
    if (Popups().isEmpty())
        return false;
    TAdmForMn* popup = Popups().last();
    if (!WaitFor([&] { return QGuiApplication::focusWindow() == popup->windowHandle(); }))
        return false;
    const auto before = activations_->count();
    Dismiss(popup);
    return WaitFor([&] { return activations_->count() > before; });
}

QWidget* WindowFixture::Focused() const
{
    return QApplication::focusWidget();
}

void WindowFixture::Press(Qt::Key key, Qt::KeyboardModifiers mods)
{
    FollowRefusal([&] { QTest::keyClick(Focused(), key, mods); });
}

void WindowFixture::ClickSave()
{
    FollowRefusal([this] { QTest::mouseClick(window_->BitBtn1, Qt::LeftButton); });
}

void WindowFixture::FollowRefusal(const std::function<void()>& step)
{
    const auto popups = Popups().size();
    const auto before = activations_->count();
    step();
    // A refused value takes the activation back from its message at once.
    const QStringList refusals{"HORA INCORRETA", "MINUTO INCORRETO"};
    if (Popups().size() > popups && refusals.contains(Popups().last()->CorpoMensagem->Text()))
        WaitFor([&] { return activations_->count() > before && QApplication::activeWindow() == window_.data(); });
    QCoreApplication::processEvents();
}

QStringList WindowFixture::Messages() const
{
    QStringList out;
    for (auto* p : Popups())
        out << p->CorpoMensagem->Text();
    return out;
}

QStringList WindowFixture::Times() const
{
    QStringList out;
    for (int slot = 1; slot <= 6; ++slot)
        out << window_->HourField(slot)->text() + "|" + window_->MinuteField(slot)->text();
    return out;
}

void WindowFixture::Type(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}
