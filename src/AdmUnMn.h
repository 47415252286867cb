#pragma once

#include "Form.h"

#include <QPoint>
#include <QPointer>
#include <QRect>

class ImageBox;
class Memo;
class UiTimer;

// The message popup: a small rounded, translucent window that shows one text
// and fades away by itself, or at once on a click, Esc or Enter. Each popup
// lives and dies on its own and frees itself when it closes.
class TAdmForMn : public Form
{
    Q_OBJECT
public:
    static constexpr int kWidth = 760;
    static constexpr int kHeight = 275;

    // `owner`: the configuration window (the popup stays in front of it and
    // dies with it), or nullptr.
    explicit TAdmForMn(QWidget* owner);

    // Whether showing the popup takes the keyboard focus. A refusal's message
    // leaves it with the window, which asks for it back at once: keys typed
    // meanwhile must reach the window, not the message.
    enum class Focus
    {
        Take,
        Leave
    };
    // Sets the text and shows the popup without waiting.
    void Mostra(const QString& text, Focus focus = Focus::Take);

    // Top-left corner of a popup centred in `workArea`, kept from starting
    // left of or above the desktop.
    static QPoint PosicaoCentrada(const QRect& workArea, const QRect& desktop);

    ImageBox* Image2;
    UiTimer* TempFecha;
    Memo* CorpoMensagem;
    UiTimer* Timer1;

public slots:
    // Handlers, bound to the signals of the popup and its controls in BindEvents.
    void FormShow(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormClick(QObject* Sender);
    void Image2Click(QObject* Sender);
    void CorpoMensagemClick(QObject* Sender);
    void CorpoMensagemKeyPress(QObject* Sender, char16_t& Key);
    void Timer1Timer(QObject* Sender);
    void TempFechaTimer(QObject* Sender);
    void FormClose(QObject* Sender, CloseAction& Action);

public:
    // Starts the fade-out: no more input, opacity on, fade timer running.
    void IniciaFechamento();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void BindEvents();
    void Centraliza();
    // Shows the popup and tells screen readers.
    void Appear();
};

// The most recently created popup.
extern QPointer<TAdmForMn> AdmForMn;
