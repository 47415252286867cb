#include "AdmUnMn.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "AccessibleFactory.h"
#include "ActivationTracker.h"
#include "ArredondaControle.h"
#include "DesignColor.h"
#include "DesignFont.h"
#include "ImageBox.h"
#include "Memo.h"
#include "NativeWindow.h"
#include "QuorveloResources.h"
#include "UiTimer.h"
#include "WorkArea.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdint>

QPointer<TAdmForMn> AdmForMn;

namespace {

// To a screen reader the popup is an alert whose text is the message. One
// that leaves the focus with its window is a notification, which a reader
// speaks as it shows, active or not.
class PopupAccessible : public QAccessibleWidget
{
public:
    explicit PopupAccessible(TAdmForMn* popup) : QAccessibleWidget(popup, QAccessible::AlertMessage) {}

    QAccessible::Role role() const override
    {
        return widget()->testAttribute(Qt::WA_ShowWithoutActivating) ? QAccessible::Notification
                                                                     : QAccessible::AlertMessage;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Description)
            return static_cast<TAdmForMn*>(widget())->CorpoMensagem->Text();
        return QAccessibleWidget::text(t);
    }
};

constexpr std::uint32_t kBackground = 0x005B2E00;
constexpr std::uint8_t kOpacity = 240;
constexpr int kDisplayMs = 2500;
constexpr int kExtraMsForLongText = 2000;
constexpr std::uint8_t kFadeStep = 10;

} // namespace

TAdmForMn::TAdmForMn(QWidget* owner)
    // A tool window owned by the configuration window stays in front of it,
    // has no taskbar button and dies with it. Where a message must not take
    // the focus (native Wayland), a tooltip-like surface tied to the window.
    : Form(owner, MessagesTakeFocus() ? Qt::Tool : Qt::ToolTip, kOpacity, true)
{
    InstallAccessible<TAdmForMn, PopupAccessible>();
    CreateControls();
    BindEvents();
}

void TAdmForMn::CreateControls()
{
    setWindowTitle(QStringLiteral("MENSAGEM"));
    // The popup keeps its own sizes whatever the screen: it is never scaled.
    resize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, DesignColor(kBackground));
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    setFont(DesignFont(QStringLiteral("Segoe UI Semibold"), 27));

    Image2 = new ImageBox(this);
    Image2->setGeometry(8, 4, 53, 42);
    Image2->Stretch = false;
    InitQuorveloResources();
    Image2->LoadFromFile(QStringLiteral(":/quorvelo/popup-arrow.png"));

    TempFecha = new UiTimer(this, 1, false);

    CorpoMensagem = new Memo(this);
    CorpoMensagem->setGeometry(68, 40, 653, 217);
    CorpoMensagem->setFont(DesignFont(QStringLiteral("Segoe UI Light"), 27));
    CorpoMensagem->SetColor(DesignColor(kBackground));
    CorpoMensagem->SetFontColor(Qt::white);
    CorpoMensagem->SetText(QStringLiteral("CorpoMensagem"));

    // Counts its display time from the popup's creation.
    Timer1 = new UiTimer(this, kDisplayMs, true);
}

void TAdmForMn::BindEvents()
{
    Bind(this, &Form::shown, &TAdmForMn::FormShow);
    Bind(this, &Form::activated, &TAdmForMn::FormActivate);
    Bind(this, &Form::clicked, &TAdmForMn::FormClick);
    Bind(this, &Form::closing, &TAdmForMn::FormClose);
    Bind(Image2, &ImageBox::clicked, &TAdmForMn::Image2Click);
    Bind(CorpoMensagem, &Memo::clicked, &TAdmForMn::CorpoMensagemClick);
    Bind(CorpoMensagem, &Memo::keyPressed, &TAdmForMn::CorpoMensagemKeyPress);
    Bind(Timer1, &UiTimer::ticked, &TAdmForMn::Timer1Timer);
    Bind(TempFecha, &UiTimer::ticked, &TAdmForMn::TempFechaTimer);
}

void TAdmForMn::Mostra(const QString& text, Focus focus)
{
    CorpoMensagem->SetText(text);
    // Where a message cannot take the focus (native Wayland), it leaves it
    // with the window as a refusal's message does.
    const bool take = focus == Focus::Take && MessagesTakeFocus();
    Centraliza();
    CorpoMensagem->setFocus(Qt::OtherFocusReason);
    setAttribute(Qt::WA_ShowWithoutActivating, !take);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, !take);
    if (take) {
        Appear();
        // As a direct request: Mutter gives no focus to a tool window when it
        // is mapped, only when asked.
        ActivateWindow(this);
        return;
    }
    // It is activated all the same, for the instant before the window takes
    // the activation back, and the window's activation then runs as after
    // any message (a refusal runs it at once). It appears once the focus has
    // settled: a screen reader speaks a notification as it shows, unless
    // focus changes after it make the reader drop it.
    create();
    ActivationTracker::Instance().Activate(windowHandle());
    QTimer::singleShot(0, this, [this] {
        if (QWidget* owner = parentWidget(); owner && owner->isActiveWindow())
            ActivationTracker::Instance().Activate(owner->windowHandle());
        Appear();
    });
}

void TAdmForMn::Appear()
{
    show();
    if (MessagesTakeFocus())
        KeepOffTaskbar(this); // an owned window has no taskbar button of its own
    // Screen readers announce the message as soon as it is shown.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QPoint TAdmForMn::PosicaoCentrada(const QRect& workArea, const QRect& desktop)
{
    const int left = workArea.left() + (workArea.width() - kWidth) / 2;
    const int top = workArea.top() + (workArea.height() - kHeight) / 2;
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

void TAdmForMn::Centraliza()
{
    // The monitor of the window the message comes from, else the primary one.
    QScreen* screen = nullptr;
    if (QWidget* active = QApplication::activeWindow(); active && active != this)
        screen = active->screen();
    // A monitor unplugged a moment ago may still be the window's.
    if (!QGuiApplication::screens().contains(screen))
        screen = nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(PosicaoCentrada(WorkAreaOf(screen), screen->virtualGeometry()));
}

void TAdmForMn::FormShow(QObject*)
{
    CorpoMensagem->move((width() - CorpoMensagem->width()) / 2, (height() - CorpoMensagem->height()) / 2);
}

void TAdmForMn::FormActivate(QObject*)
{
    ArredondaControle(this);
    ArredondaControle(CorpoMensagem);
    const int lines = CorpoMensagem->DisplayedLineCount();
    if (lines >= 2) {
        // Computed from the current interval, so it grows on every activation;
        // like the 32-bit integer it models, it wraps rather than saturates.
        const std::int64_t interval = std::int64_t{lines} * Timer1->Interval() + kExtraMsForLongText;
        Timer1->SetInterval(static_cast<std::int32_t>(static_cast<std::uint32_t>(interval)));
    }
}

void TAdmForMn::FormClick(QObject*)
{
    IniciaFechamento();
}

void TAdmForMn::Image2Click(QObject*)
{
    IniciaFechamento();
}

void TAdmForMn::CorpoMensagemClick(QObject*)
{
    IniciaFechamento();
}

void TAdmForMn::CorpoMensagemKeyPress(QObject*, char16_t& Key)
{
    if (Key == 27 || Key == 13)
        IniciaFechamento();
}

void TAdmForMn::Timer1Timer(QObject*)
{
    IniciaFechamento();
}

void TAdmForMn::IniciaFechamento()
{
    setEnabled(false);
    Opacity.SetApplied(true);
    TempFecha->SetEnabled(true);
}

void TAdmForMn::TempFechaTimer(QObject*)
{
    Opacity.SetValue(static_cast<std::uint8_t>(Opacity.Value() - kFadeStep));
    if (Opacity.Value() <= kFadeStep) {
        TempFecha->SetEnabled(false);
        close();
    }
}

void TAdmForMn::FormClose(QObject*, CloseAction& Action)
{
    Action = CloseAction::Free;
}

void TAdmForMn::closeEvent(QCloseEvent* event)
{
    QPointer<QWidget> owner = parentWidget();
    // Active for the desktop, or for the program alone: a click activated a
    // message that never took the focus from its window.
    const bool wasActive =
        isActiveWindow()
        || (ActivationTracker::Instance().IsActivated(windowHandle()) && owner && owner->isActiveWindow());
    Form::closeEvent(event);
    if (!event->isAccepted() || !wasActive || !owner)
        return;
    // The desktop gives the activation back to the owner when its active
    // popup goes; not every desktop does, so ask for it once the popup has
    // been hidden, unless another window has taken the focus meanwhile.
    QPointer<QWindow> gone = windowHandle();
    QTimer::singleShot(0, owner, [owner, gone] {
        QWindow* focus = QGuiApplication::focusWindow();
        if (!focus || focus == gone || !focus->isVisible())
            ActivateWindow(owner);
        else if (focus == owner->windowHandle())
            ActivationTracker::Instance().Activate(focus); // the desktop's focus never left it
    });
}
