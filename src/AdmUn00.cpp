#include "AdmUn00.h"

#include "AdmUnMn.h"
#include "ArredondaControle.h"
#include "Bevel.h"
#include "BitBtn.h"
#include "CreationScaling.h"
#include "DesignColor.h"
#include "DesignFont.h"
#include "Edit.h"
#include "ImageBox.h"
#include "Panel.h"
#include "SpeedButton.h"
#include "TimeField.h"
#include "UiTimer.h"
#include "WorkArea.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <utility>

QPointer<TAdmFor00> AdmFor00;

Q_LOGGING_CATEGORY(lcPictures, "quorvelo.pictures")
// Why the settings file could not be read or saved. A missing file is the
// usual state before the first save and is only a debug message.
Q_LOGGING_CATEGORY(lcSettings, "quorvelo.settings", QtInfoMsg)

namespace {

constexpr std::uint32_t kWindowColor = 0x2D0000;     // dark blue
constexpr std::uint32_t kHourPanelColor = 0xECECFF;  // light rose
constexpr std::uint32_t kFieldRestColor = 0xF3F3F3;  // light grey
constexpr std::uint32_t kFieldFocusColor = 0x8CFFFF; // light yellow
const QColor kYellow(255, 255, 0);
const QColor kNavy(0, 0, 128);
const QColor kWhite(255, 255, 255);

// Labels that take the size of their text; the others keep their box.
const char* const kAutoSize = "autoSize";
// Each control's box and font as designed, before any scaling.
const char* const kDesignBox = "designBox";
const char* const kDesignFont = "designFont";

// Where each control sits on the window as designed (805x426; the hour
// panel's controls relative to the panel), its font (Segoe UI Light at `px`
// in `style`; none of its own at 0) and what screen readers call it (labels
// are read by their text). A time field's height follows its font.
struct Place
{
    const char* name;
    int left, top, width, height;
    int px;
    FontStyle style;
    const char* accessibleName;
};

constexpr FontStyle kRegular = FontStyle::Regular;
constexpr FontStyle kBold = FontStyle::Bold;

const Place kLayout[] = {
    {"LSub", 8, 8, 786, 49, 27, FontStyle::Underline, nullptr},
    {"Bevel1", 8, 63, 773, 82, 0, kRegular, "Quadro da apresentação automática"},
    {"ChePsi", 467, 342, 31, 32, 0, kRegular, nullptr},
    {"Label1", 30, 179, 627, 21, 16, kRegular, nullptr},
    {"ApreAuto", 30, 92, 400, 35, 16, kRegular, "Apresentação automática"},
    {"CheApr", 436, 92, 31, 35, 0, kRegular, "Estado da apresentação automática"},
    {"Man", 30, 368, 212, 50, 20, kBold, "Fecha"},
    {"BitBtn1", 648, 368, 133, 50, 20, kRegular, "Grava dados"},
    {"TelaHorIni", 30, 206, 751, 107, 20, kBold, "Horários"},
    {"Label14", 15, 1, 39, 25, 19, kRegular, nullptr},
    {"L1", 14, 351, 200, 22, 16, kRegular, nullptr},
    {"L2", 14, 371, 200, 21, 16, kRegular, nullptr},
    {"Label2", 127, 0, 74, 25, 19, kRegular, nullptr},
    {"Label3", 98, 17, 15, 37, 27, kBold, nullptr},
    {"Label9", 98, 65, 15, 37, 27, kBold, nullptr},
    {"Label4", 282, 1, 39, 25, 19, kRegular, nullptr},
    {"Label5", 365, 17, 15, 37, 27, kBold, nullptr},
    {"Label6", 394, 0, 74, 25, 19, kRegular, nullptr},
    {"Label7", 365, 65, 15, 37, 27, kBold, nullptr},
    {"Label8", 530, 1, 39, 25, 19, kRegular, nullptr},
    {"Label10", 613, 17, 15, 37, 27, kBold, nullptr},
    {"Label11", 642, 0, 74, 25, 19, kRegular, nullptr},
    {"Label12", 613, 65, 15, 37, 27, kBold, nullptr},
    {"H1", 15, 26, 65, 0, 16, kRegular, nullptr},
    {"M1", 127, 26, 65, 0, 16, kRegular, nullptr},
    {"H2", 17, 74, 65, 0, 16, kRegular, nullptr},
    {"M2", 127, 74, 65, 0, 16, kRegular, nullptr},
    {"H3", 282, 26, 65, 0, 16, kRegular, nullptr},
    {"M3", 394, 26, 65, 0, 16, kRegular, nullptr},
    {"H4", 282, 74, 65, 0, 16, kRegular, nullptr},
    {"M4", 394, 74, 65, 0, 16, kRegular, nullptr},
    {"H5", 530, 26, 65, 0, 16, kRegular, nullptr},
    {"M5", 642, 26, 65, 0, 16, kRegular, nullptr},
    {"H6", 530, 74, 65, 0, 16, kRegular, nullptr},
    {"M6", 642, 74, 65, 0, 16, kRegular, nullptr},
    // Hidden: it holds the automatic presentation's state in the window's font.
    {"AprChe", 496, 100, 31, 27, 0, kRegular, nullptr},
};

// Names `w` and gives it its place, font and accessible name.
template <typename W>
W* Placed(W* w, const char* name)
{
    const auto* p = std::find_if(std::begin(kLayout), std::end(kLayout),
                                 [name](const Place& row) { return qstrcmp(row.name, name) == 0; });
    Q_ASSERT(p != std::end(kLayout));
    w->setObjectName(QLatin1String(name));
    if (p->px != 0)
        w->setFont(DesignFont(QStringLiteral("Segoe UI Light"), p->px, p->style));
    w->setGeometry(p->left, p->top, p->width, p->height != 0 ? p->height : EditHeightForFont(p->px));
    if (p->accessibleName)
        w->setAccessibleName(QString::fromUtf8(p->accessibleName));
    return w;
}

// The labels: of the window in yellow, of the hour panel in dark blue.
struct LabelRow
{
    QLabel* TAdmFor00::*member;
    const char* name;
    const char* text;
    bool onPanel;
    bool autoSize;
};

const LabelRow kLabels[] = {
    {&TAdmFor00::LSub, "LSub", "CONFIGURAÇÃO DO QUORVELO", false, false},
    {&TAdmFor00::Label1, "Label1",
     "Preencha as horas e minutos que vc deseja que o chame para fazer os exercícios (ESC retorna)", false, true},
    {&TAdmFor00::Label14, "Label14", "Hora", true, true},
    {&TAdmFor00::L1, "L1", "", true, false},
    {&TAdmFor00::L2, "L2", "", true, false},
    {&TAdmFor00::Label2, "Label2", "Minuto(s)", true, true},
    {&TAdmFor00::Label3, "Label3", ": ", true, true},
    {&TAdmFor00::Label9, "Label9", ": ", true, true},
    {&TAdmFor00::Label4, "Label4", "Hora", true, true},
    {&TAdmFor00::Label5, "Label5", ": ", true, true},
    {&TAdmFor00::Label6, "Label6", "Minuto(s)", true, true},
    {&TAdmFor00::Label7, "Label7", ": ", true, true},
    {&TAdmFor00::Label8, "Label8", "Hora", true, true},
    {&TAdmFor00::Label10, "Label10", ": ", true, true},
    {&TAdmFor00::Label11, "Label11", "Minuto(s)", true, true},
    {&TAdmFor00::Label12, "Label12", ": ", true, true},
};

// The twelve time fields in the order of their walk (Enter and Tab go
// forward, Esc back) and their handlers. M5 gains the focus through M1Enter.
struct TimeFieldRow
{
    Edit* TAdmFor00::*member;
    const char* name;
    int slot;
    FieldKind kind;
    void (TAdmFor00::*enter)(QObject*);
    void (TAdmFor00::*exit)(QObject*);
    void (TAdmFor00::*keyPress)(QObject*, char16_t&);
};

constexpr FieldKind kHour = FieldKind::Hour;
constexpr FieldKind kMinute = FieldKind::Minute;

const TimeFieldRow kTimeFields[] = {
    {&TAdmFor00::H1, "H1", 1, kHour, &TAdmFor00::H1Enter, &TAdmFor00::H1Exit, &TAdmFor00::H1KeyPress},
    {&TAdmFor00::M1, "M1", 1, kMinute, &TAdmFor00::M1Enter, &TAdmFor00::M1Exit, &TAdmFor00::M1KeyPress},
    {&TAdmFor00::H2, "H2", 2, kHour, &TAdmFor00::H2Enter, &TAdmFor00::H2Exit, &TAdmFor00::H2KeyPress},
    {&TAdmFor00::M2, "M2", 2, kMinute, &TAdmFor00::M2Enter, &TAdmFor00::M2Exit, &TAdmFor00::M2KeyPress},
    {&TAdmFor00::H3, "H3", 3, kHour, &TAdmFor00::H3Enter, &TAdmFor00::H3Exit, &TAdmFor00::H3KeyPress},
    {&TAdmFor00::M3, "M3", 3, kMinute, &TAdmFor00::M3Enter, &TAdmFor00::M3Exit, &TAdmFor00::M3KeyPress},
    {&TAdmFor00::H4, "H4", 4, kHour, &TAdmFor00::H4Enter, &TAdmFor00::H4Exit, &TAdmFor00::H4KeyPress},
    {&TAdmFor00::M4, "M4", 4, kMinute, &TAdmFor00::M4Enter, &TAdmFor00::M4Exit, &TAdmFor00::M4KeyPress},
    {&TAdmFor00::H5, "H5", 5, kHour, &TAdmFor00::H5Enter, &TAdmFor00::H5Exit, &TAdmFor00::H5KeyPress},
    {&TAdmFor00::M5, "M5", 5, kMinute, &TAdmFor00::M1Enter, &TAdmFor00::M5Exit, &TAdmFor00::M5KeyPress},
    {&TAdmFor00::H6, "H6", 6, kHour, &TAdmFor00::H6Enter, &TAdmFor00::H6Exit, &TAdmFor00::H6KeyPress},
    {&TAdmFor00::M6, "M6", 6, kMinute, &TAdmFor00::M6Enter, &TAdmFor00::M6Exit, &TAdmFor00::M6KeyPress},
};

// Drawn in place of a check picture that cannot be loaded: a clear box, or a
// box with a tick.
QImage StandInCheckPicture(bool checked)
{
    QImage img(62, 70, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavy, 4));
    p.drawRect(QRectF(8, 12, 46, 46));
    if (checked) {
        p.setPen(QPen(kNavy, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(17, 35), QPointF(28, 47), QPointF(46, 22)}));
    }
    return img;
}

// A line edit lays its text out anew at each change of its font, and laying
// it out loads the font. While the window is built and scaled, the time fields
// take the panel's font, their design font and then the scaled one: each would
// be loaded only to be dropped at once. While this lives the fields let font
// changes pass them by; at its end each lays its text out once, in the font it
// then has.
class FieldFontChangesHeld : public QObject
{
public:
    explicit FieldFontChangesHeld(QWidget* window) : window_(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FieldFontChangesHeld() override
    {
        QCoreApplication::instance()->removeEventFilter(this);
        for (const QPointer<Edit>& edit : held_) {
            if (edit) {
                QEvent changed(QEvent::FontChange);
                QCoreApplication::sendEvent(edit, &changed);
            }
        }
    }
    FieldFontChangesHeld(const FieldFontChangesHeld&) = delete;
    FieldFontChangesHeld& operator=(const FieldFontChangesHeld&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FontChange)
            return false;
        auto* edit = qobject_cast<Edit*>(watched);
        if (!edit || edit->window() != window_)
            return false;
        if (!held_.contains(edit))
            held_.append(edit);
        return true;
    }

private:
    QWidget* window_;
    QList<QPointer<Edit>> held_;
};

// Calls `then` once `window` has painted its first frame, after that frame
// has gone out.
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWidget* window, std::function<void()> then) : QObject(window), then_(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    then_();
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

ScreenMetrics ScreenMetrics::Primary()
{
    ScreenMetrics m;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        m.width = s->geometry().width();
        m.workArea = WorkAreaOf(s);
    }
    return m;
}

TAdmFor00::TAdmFor00(const QString& dataRoot, const ScreenMetrics& screen)
    : Form(nullptr, Qt::Window, 0, true), record_(dataRoot.toStdU16String()), dataRoot_(dataRoot), screen_(screen)
{
    AdmFor00 = this;
    setWindowTitle(QStringLiteral("AdmFor00"));
    setObjectName(QStringLiteral("AdmFor00"));
    setAutoFillBackground(true);
    SetPaletteColor(this, DesignColor(kWindowColor), QPalette::Window);
    setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    resize(805, 426);

    {
        const FieldFontChangesHeld held(this);
        CreateControls();
        BindEvents();
        FormCreate(this);
    }
    // What killed saves left behind goes now, not all at the first save.
    record_.RemoveLeftovers();
}

void TAdmFor00::CreateControls()
{
    Bevel1 = Placed(new Bevel(this), "Bevel1");
    ChePsi = Placed(new ImageBox(this), "ChePsi");
    ChePsi->hide();
    ApreAuto =
        Placed(new SpeedButton(this, QStringLiteral("CLIQUE PARA A APRESENTAÇÃO AUTOMÁTICA OU NÃO")), "ApreAuto");
    CheApr = Placed(new ImageBox(this), "CheApr");
    Man = Placed(new Panel(this, QStringLiteral("FECHA"), DesignColor(kWindowColor), kWhite), "Man");
    Man->InnerBevelSunken = true;
    BitBtn1 = Placed(new BitBtn(this, QStringLiteral("GRAVA DADOS")), "BitBtn1");
    for (QWidget* button : std::initializer_list<QWidget*>{ApreAuto, BitBtn1}) {
        SetPaletteColor(button, kNavy, QPalette::ButtonText);
        button->setCursor(Qt::PointingHandCursor);
    }
    TelaHorIni = Placed(new Panel(this, QString(), DesignColor(kHourPanelColor), kWhite), "TelaHorIni");
    for (const LabelRow& l : kLabels) {
        auto* label =
            Placed(new QLabel(QString::fromUtf8(l.text), l.onPanel ? static_cast<QWidget*>(TelaHorIni) : this), l.name);
        SetPaletteColor(label, l.onPanel ? kNavy : kYellow, QPalette::WindowText);
        label->setProperty(kAutoSize, l.autoSize); // FormCreate sizes it to its text in its final font
        this->*l.member = label;
    }
    LSub->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    CreateTimeFields();

    AprChe = Placed(new QCheckBox(QStringLiteral("AprChe"), this), "AprChe");
    AprChe->hide();
    ApreAuto->ShowsStateOf(AprChe); // screen readers meet the toggle as a check box
    setTabOrder(M6, AprChe);

    TemAbre = new UiTimer(this, 1, true);
    TemAbre->setObjectName(QStringLiteral("TemAbre"));
    TempFecha = new UiTimer(this, 1, false);
    TempFecha->setObjectName(QStringLiteral("TempFecha"));
    setAccessibleName(QStringLiteral("Configuração do Quorvelo"));
}

void TAdmFor00::CreateTimeFields()
{
    // In tab order after the save button.
    QWidget* previous = BitBtn1;
    for (const TimeFieldRow& f : kTimeFields) {
        // Made without a parent, so that it lays its empty text out in the
        // application's font, which is loaded anyway, not in the panel's.
        auto* edit = new Edit(nullptr);
        edit->setParent(TelaHorIni);
        Placed(edit, f.name);
        edit->SetColor(DesignColor(kFieldRestColor));
        SetPaletteColor(edit, kNavy, QPalette::Text);
        const bool hour = f.kind == FieldKind::Hour;
        edit->setAccessibleName(
            (hour ? QStringLiteral("Hora do horário %1") : QStringLiteral("Minuto do horário %1")).arg(f.slot));
        (hour ? hours_ : minutes_).at(std::size_t(f.slot - 1)) = this->*f.member = edit;
        setTabOrder(previous, edit);
        previous = edit;
    }
}

void TAdmFor00::BindEvents()
{
    Bind(this, &Form::activated, &TAdmFor00::FormActivate);
    Bind(this, &Form::closing, &TAdmFor00::FormClose);
    Bind(TemAbre, &UiTimer::ticked, &TAdmFor00::TemAbreTimer);
    Bind(TempFecha, &UiTimer::ticked, &TAdmFor00::TempFechaTimer);
    Bind(Man, &Panel::clicked, &TAdmFor00::ManClick);
    Bind(ApreAuto, &QAbstractButton::clicked, &TAdmFor00::ApreAutoClick);
    Bind(BitBtn1, &QAbstractButton::clicked, &TAdmFor00::BitBtn1Click);
    Bind(BitBtn1, &BitBtn::keyPressed, &TAdmFor00::BitBtn1KeyPress);
    for (const TimeFieldRow& f : kTimeFields) {
        Bind(this->*f.member, &Edit::entered, f.enter);
        Bind(this->*f.member, &Edit::exited, f.exit);
        Bind(this->*f.member, &Edit::keyPressed, f.keyPress);
    }
}

void TAdmFor00::FormCreate(QObject*)
{
    ScreenWidth = kDesignScreenWidth;
    ScreenHeight = kDesignScreenHeight;
    // The layout as designed, kept so that a new primary screen scales it
    // afresh instead of scaling what an earlier screen made of it.
    for (QWidget* w : findChildren<QWidget*>()) {
        w->setProperty(kDesignBox, w->geometry());
        w->setProperty(kDesignFont, w->font());
    }
    ScaleLayout();
}

void TAdmFor00::ScaleLayout()
{
    setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    resize(805, 426);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->setFont(w->property(kDesignFont).value<QFont>());
        w->setGeometry(w->property(kDesignBox).toRect());
    }
    const ScaleRatio ratio = CreationScaling(screen_.width, screen_.workArea.width(), screen_.workArea.height());
    if (ratio.IsIdentity()) {
        // Labels are sized to their text only here, once their font is final:
        // sizing them before the scaling would load each design font at its
        // unscaled height just to measure and drop it.
        for (QWidget* w : findChildren<QWidget*>()) {
            if (w->property(kAutoSize).toBool())
                w->adjustSize();
        }
        return;
    }

    for (QWidget* w : findChildren<QWidget*>()) {
        const QRect g = w->geometry();
        const LayoutBox box = ScaleBox({g.x(), g.y(), g.width(), g.height()}, ratio);
        QFont f = w->font();
        const int px = ScaleFontHeight(f.pixelSize(), ratio);
        f.setPixelSize(px);
        w->setFont(f);
        int height = box.height;
        if (qobject_cast<Edit*>(w))
            height = EditHeightForFont(px); // an edit's height follows its font
        w->setGeometry(box.left, box.top, box.width, height);
        if (w->property(kAutoSize).toBool())
            w->adjustSize();
    }
    QFont own = font();
    own.setPixelSize(ScaleFontHeight(own.pixelSize(), ratio));
    setFont(own);
    resize(ratio.Apply(width()), ratio.Apply(height()));
}

void TAdmFor00::ShowFirstTime()
{
    PlaceOnWorkArea();
    WatchScreens();
    // The fade-in's steps are a frame apart from the first frame on: the
    // first paint, which takes the longest, comes before the first step
    // rather than between two.
    new AfterFirstFrame(this, [this] {
        if (TemAbre->Enabled() && Opacity.Value() == 0) {
            TemAbre->SetEnabled(false);
            TemAbre->SetEnabled(true);
        }
    });
    show();
    activateWindow(); // showing alone does not activate everywhere (X11 without a window manager)
    // The activation sequence belongs to the first showing, not to the focus:
    // some desktops give it late, or never (a Wayland compositor without a seat).
    ActivateAtFirstShowing();
}

void TAdmFor00::WatchScreens()
{
    // Monitors plugged, unplugged, moved or set to another resolution, a
    // taskbar moved, display scaling changed: keep covering the primary's
    // work area. Several notices come for one change; one follow-up serves them.
    const auto follow = [this] {
        if (followPending_)
            return;
        followPending_ = true;
        QTimer::singleShot(0, this, &TAdmFor00::FollowScreens);
    };
    const auto watch = [this, follow](QScreen* s) {
        connect(s, &QScreen::geometryChanged, this, follow);
        connect(s, &QScreen::availableGeometryChanged, this, follow);
    };
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [watch, follow](QScreen* s) {
        watch(s);
        follow();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, follow);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, follow);
    // A dock that comes, goes or moves on one of several monitors.
    WhenWorkAreasChange(this, follow);
}

void TAdmFor00::FollowScreens()
{
    followPending_ = false;
    const ScreenMetrics now = ScreenMetrics::Primary();
    if (now.width <= 0)
        return; // no screen for the moment; the next one brings a notice
    const bool rescale = now.width != screen_.width;
    screen_ = now;
    if (rescale) {
        ScaleLayout();
        // Rounded corners follow the new sizes, as at an activation.
        ArredondaControle(TelaHorIni);
        ArredondaControle(BitBtn1);
        ArredondaControle(Man);
    }
    PlaceOnWorkArea();
}

void TAdmFor00::PlaceOnWorkArea()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = WorkAreaOf(s);
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        // The compositor places the window; a fixed size keeps a tiling one
        // from stretching it and lets it float, where it allows that.
        setFixedSize(area.size());
        return;
    }
    setGeometry(area);
}

void TAdmFor00::TemAbreTimer(QObject*)
{
    const auto next = static_cast<std::uint8_t>(Opacity.Value() + 5);
    Opacity.SetValue(next);
    if (next <= 245)
        return;
    Opacity.SetValue(255);
    Opacity.SetApplied(false);
    TemAbre->SetEnabled(false);
}

void TAdmFor00::IniciaFechamento()
{
    Opacity.SetApplied(true);
    TempFecha->SetEnabled(false);
    TempFecha->SetEnabled(true);
}

void TAdmFor00::ManClick(QObject*)
{
    IniciaFechamento();
}

void TAdmFor00::TempFechaTimer(QObject*)
{
    if (TemAbre->Enabled())
        TemAbre->SetEnabled(false);
    // Closing started while the fade-in was still at 0 or 5: subtracting would
    // wrap to nearly opaque and fade out a second time, so close at once.
    if (Opacity.Value() < 6) {
        TempFecha->SetEnabled(false);
        close();
        return;
    }
    const auto next = static_cast<std::uint8_t>(Opacity.Value() - 6);
    Opacity.SetValue(next);
    if (next < 10) {
        TempFecha->SetEnabled(false);
        close();
    }
}

void TAdmFor00::FormClose(QObject*, CloseAction& Action)
{
    Action = CloseAction::Free;
}

void TAdmFor00::FormActivate(QObject*)
{
    ArredondaControle(TelaHorIni);
    ArredondaControle(BitBtn1);
    ArredondaControle(Man);
    CarregaDados();
    PlaceFocus(H1);
}

void TAdmFor00::ShowCheckPicture(bool checked)
{
    const QString state = checked ? QStringLiteral("ligada") : QStringLiteral("desligada");
    ApreAuto->setAccessibleDescription(state);
    CheApr->setAccessibleDescription(state);
    const QString path = dataRoot_ + (checked ? QStringLiteral("/IMAGEM/NAOOK.JPG") : QStringLiteral("/IMAGEM/OK.JPG"));
    if (CheApr->LoadFromFile(path))
        return;
    // A missing picture must not stop the settings from loading: show a
    // drawn box instead and say so once per run.
    CheApr->SetPicture(StandInCheckPicture(checked));
    if (reportedPictures_.insert(path).second)
        qCWarning(lcPictures, "cannot load picture %s: %s", qPrintable(path), qPrintable(CheApr->LastRefusal()));
}

void TAdmFor00::CarregaDados()
{
    // A read that fails (no file, a file another program holds, a read
    // error) changes nothing: the box, its picture and the times stay as
    // they were. The picture is still read anew, as on every activation.
    const SettingsResult read = record_.LeArqDados();
    if (!read) {
        LogFailure(read, SettingsOperation::Read);
        ShowCheckPicture(AprChe->isChecked());
        return;
    }
    lastReadFailure_.clear();
    ShowCheckPicture(record_.AutomaticPresentation());
    AprChe->setChecked(record_.AutomaticPresentation());
    for (int slot = 1; slot <= 6; ++slot) {
        const SettingsRecord::SlotTime time = record_.Slot(slot);
        HourField(slot)->Load(QString::fromStdU16String(time.hour));
        MinuteField(slot)->Load(QString::fromStdU16String(time.minute));
    }
}

void TAdmFor00::ApreAutoClick(QObject*)
{
    AprChe->setChecked(!AprChe->isChecked());
    ShowCheckPicture(AprChe->isChecked());
}

void TAdmFor00::BitBtn1Click(QObject*)
{
    // The field being left is judged as leaving it judges it, however the
    // save was started: a click, a key, a screen reader's action.
    if (qobject_cast<Edit*>(focusWidget())) {
        saving_ = true;
        const bool left = RequestFocus(BitBtn1);
        saving_ = false;
        if (!left)
            return;
    }
    // Only what an exit check produced is written. Every other field is
    // judged as leaving it would judge it too (a drop, a menu's paste, a
    // text no reload replaced), and shows the result. A field the load left
    // empty and nobody changed stays empty: the file keeps its ":".
    Edit* refused = nullptr;
    for (int slot = 1; slot <= 6; ++slot) {
        for (Edit* field : {HourField(slot), MinuteField(slot)}) {
            if (field->text().isEmpty() && !field->ChangedSinceLoad())
                continue;
            const FieldCheck r = CheckTimeField(field->text(), KindOf(field));
            if (!r.accepted) {
                if (!refused)
                    refused = field;
                continue;
            }
            if (field->text() != r.text)
                field->setText(r.text);
        }
    }
    if (refused) {
        ShowRefusal(RefusalMessage(KindOf(refused)));
        RequestFocusAfterMessage(refused);
        return;
    }
    std::array<SettingsRecord::SlotTime, 6> times;
    for (int slot = 1; slot <= 6; ++slot)
        times[std::size_t(slot - 1)] = {HourField(slot)->text().toStdU16String(),
                                        MinuteField(slot)->text().toStdU16String()};
    const SettingsResult saved = record_.Grava(AprChe->isChecked(), times);
    if (!saved)
        LogFailure(saved, SettingsOperation::Save);
    MostraMensagem(saved ? QStringLiteral("REGISTRO GRAVADO!!") : QStringLiteral("REGISTRO NÃO GRAVADO!!"));
}

void TAdmFor00::LogFailure(const SettingsResult& result, SettingsOperation operation)
{
    const std::string line = DescribeFailure(result, operation);
    if (operation == SettingsOperation::Read) {
        // Every activation reads again: the same failure is said once.
        if (line == lastReadFailure_)
            return;
        lastReadFailure_ = line;
        if (result.failure == SettingsFailure::NoFile) {
            qCDebug(lcSettings, "%s", line.c_str());
            return;
        }
    }
    qCWarning(lcSettings, "%s", line.c_str());
}

// --- Time fields --------------------------------------------------------

void TAdmFor00::H1Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::M1Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::H2Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::M2Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::H3Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::M3Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::H4Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::M4Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::H5Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::H6Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}
void TAdmFor00::M6Enter(QObject* Sender)
{
    SetFocusColour(Sender);
}

void TAdmFor00::H1Exit(QObject* Sender)
{
    CheckOnExit(H1, Sender);
}
void TAdmFor00::M1Exit(QObject* Sender)
{
    CheckOnExit(M1, Sender);
}
void TAdmFor00::H2Exit(QObject* Sender)
{
    CheckOnExit(H2, Sender);
}
void TAdmFor00::M2Exit(QObject* Sender)
{
    CheckOnExit(M2, Sender);
}
void TAdmFor00::H3Exit(QObject* Sender)
{
    CheckOnExit(H3, Sender);
}
void TAdmFor00::M3Exit(QObject* Sender)
{
    CheckOnExit(M3, Sender);
}
void TAdmFor00::H4Exit(QObject* Sender)
{
    CheckOnExit(H4, Sender);
}
void TAdmFor00::M4Exit(QObject* Sender)
{
    CheckOnExit(M4, Sender);
}
void TAdmFor00::H5Exit(QObject* Sender)
{
    CheckOnExit(H5, Sender);
}
void TAdmFor00::M5Exit(QObject* Sender)
{
    CheckOnExit(M5, Sender);
}
void TAdmFor00::H6Exit(QObject* Sender)
{
    CheckOnExit(H6, Sender);
}
void TAdmFor00::M6Exit(QObject* Sender)
{
    CheckOnExit(M6, Sender);
}

void TAdmFor00::H1KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H1, Key);
}
void TAdmFor00::M1KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M1, Key);
}
void TAdmFor00::H2KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H2, Key);
}
void TAdmFor00::M2KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M2, Key);
}
void TAdmFor00::H3KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H3, Key);
}
void TAdmFor00::M3KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M3, Key);
}
void TAdmFor00::H4KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H4, Key);
}
void TAdmFor00::M4KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M4, Key);
}
void TAdmFor00::H5KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H5, Key);
}
void TAdmFor00::M5KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M5, Key);
}
void TAdmFor00::H6KeyPress(QObject*, char16_t& Key)
{
    FilterKey(H6, Key);
}
void TAdmFor00::M6KeyPress(QObject*, char16_t& Key)
{
    FilterKey(M6, Key);
}

void TAdmFor00::BitBtn1KeyPress(QObject*, char16_t& Key)
{
    if (Key == 27)
        RequestFocus(M6);
}

void TAdmFor00::SetFocusColour(QObject* Sender)
{
    if (auto* field = qobject_cast<Edit*>(Sender))
        field->SetColor(DesignColor(kFieldFocusColor));
}

void TAdmFor00::FilterKey(Edit* field, char16_t& Key)
{
    if (Key == 27) {
        // Esc steps one field back in the walk; in H1 it closes the window.
        if (field == H1)
            IniciaFechamento();
        else
            RequestFocus(NextTabStop(field, false));
        return;
    }
    const bool digit = Key >= u'0' && Key <= u'9';
    if (!digit && Key != 8 && Key != 13)
        Key = 0;
    if (Key == 13) {
        Key = 0;
        SelectNext(true);
    }
}

// Runs whenever the focus leaves `field` for another control of the window.
// A rejected value is reported and the focus asked back, which abandons the
// move; the window then becomes active again and reloads the saved values,
// putting the focus on H1. The refused text never stays: the field first
// returns to what it held when it gained the focus, which is what remains
// where no reload can replace it. The exit check that the placement runs
// does not object (see Form::PlaceFocus) and leaves a text it would refuse
// as loaded, for the save to judge; so each rejection shows one message.
FieldKind TAdmFor00::KindOf(const Edit* field) const
{
    return std::find(hours_.begin(), hours_.end(), field) != hours_.end() ? FieldKind::Hour : FieldKind::Minute;
}

void TAdmFor00::CheckOnExit(Edit* field, QObject* Sender)
{
    if (auto* sender = qobject_cast<Edit*>(Sender))
        sender->SetColor(DesignColor(kFieldRestColor));
    // Pressing the save button starts the save, which writes a field that
    // the load left empty, and nobody changed, as it is.
    const bool saveStarts = saving_ || (ExitTarget() == BitBtn1 && ExitReason() == Qt::MouseFocusReason);
    if (saveStarts && field->text().isEmpty() && !field->ChangedSinceLoad())
        return;
    const FieldCheck r = CheckTimeField(field->text(), KindOf(field));
    if (r.value)
        Teste = *r.value;
    if (r.accepted) {
        field->setText(r.text);
        return;
    }
    if (PlacingFocus())
        return;
    field->setText(field->EntryText());
    ShowRefusal(RefusalMessage(KindOf(field)));
    RequestFocus(field);
}

namespace {

TAdmForMn* NewMessage()
{
    auto* popup = new TAdmForMn(AdmFor00.data());
    AdmForMn = popup;
    return popup;
}

} // namespace

void MostraMensagem(const QString& text)
{
    NewMessage()->Mostra(text);
}

void ShowRefusal(const QString& text)
{
    NewMessage()->Mostra(text, TAdmForMn::Focus::Leave);
}
