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
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <exception>

QPointer<TAdmFor00> AdmFor00;

Q_LOGGING_CATEGORY(lcPictures, "quorvelo.pictures")

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

QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& color, const QRect& box,
                  bool autoSize)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    label->setGeometry(box);
    // FormCreate sizes it to its text, in the font it ends up with.
    label->setProperty(kAutoSize, autoSize);
    return label;
}

void SetPaletteColor(QWidget* w, const QColor& color, QPalette::ColorRole role)
{
    QPalette p = w->palette();
    p.setColor(role, color);
    w->setPalette(p);
}

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

} // namespace

ScreenMetrics ScreenMetrics::Primary()
{
    ScreenMetrics m;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        m.width = s->geometry().width();
        m.height = s->geometry().height();
        m.workArea = WorkAreaOf(s);
    }
    return m;
}

TAdmFor00::TAdmFor00(const QString& dataRoot, const ScreenMetrics& screen)
    : Form(nullptr, Qt::Window, 0, true)
    , SettingsRecord(dataRoot.toStdU16String())
    , dataRoot_(dataRoot)
    , screen_(screen)
{
    AdmFor00 = this;
    setWindowTitle(QStringLiteral("AdmFor00"));
    setObjectName(QStringLiteral("AdmFor00"));
    setAutoFillBackground(true);
    SetPaletteColor(this, DesignColor(kWindowColor), QPalette::Window);
    setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    resize(805, 426);

    CreateControls();
    BindEvents();
    FormCreate(this);
    // What killed saves left behind goes now, not all at the first save.
    RemoveLeftovers();
}

void TAdmFor00::CreateControls()
{
    const QString light = QStringLiteral("Segoe UI Light");

    LSub = MakeLabel(this, QStringLiteral("CONFIGURAÇÃO DO QUORVELO"), DesignFont(light, 27, FontStyle::Underline),
                     kYellow, QRect(8, 8, 786, 49), false);
    LSub->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Bevel1 = new Bevel(this);
    Bevel1->setGeometry(8, 63, 773, 82);

    ChePsi = new ImageBox(this);
    ChePsi->setGeometry(467, 342, 31, 32);
    ChePsi->hide();

    Label1 = MakeLabel(
        this,
        QStringLiteral("Preencha as horas e minutos que vc deseja que o chame para fazer os exercícios (ESC retorna)"),
        DesignFont(light, 16), kYellow, QRect(30, 179, 627, 21), true);

    ApreAuto = new SpeedButton(this, QStringLiteral("CLIQUE PARA A APRESENTAÇÃO AUTOMÁTICA OU NÃO"));
    ApreAuto->setGeometry(30, 92, 400, 35);
    ApreAuto->setFont(DesignFont(light, 16));
    SetPaletteColor(ApreAuto, kNavy, QPalette::ButtonText);
    ApreAuto->setCursor(Qt::PointingHandCursor);

    CheApr = new ImageBox(this);
    CheApr->setGeometry(436, 92, 31, 35);

    Man = new Panel(this, QStringLiteral("FECHA"), DesignColor(kWindowColor), kWhite);
    Man->setGeometry(30, 368, 212, 50);
    Man->setFont(DesignFont(light, 20, FontStyle::Bold));
    Man->InnerBevelSunken = true;
    Man->setCursor(Qt::ArrowCursor);

    BitBtn1 = new BitBtn(this, QStringLiteral("GRAVA DADOS"));
    BitBtn1->setGeometry(648, 368, 133, 50);
    BitBtn1->setFont(DesignFont(light, 20));
    SetPaletteColor(BitBtn1, kNavy, QPalette::ButtonText);
    BitBtn1->setCursor(Qt::PointingHandCursor);

    TelaHorIni = new Panel(this, QString(), DesignColor(kHourPanelColor), kWhite);
    TelaHorIni->setGeometry(30, 206, 751, 107);
    TelaHorIni->setFont(DesignFont(light, 20, FontStyle::Bold));

    // Labels of the hour panel, then its twelve time fields.
    struct LabelSpec
    {
        QLabel** field;
        int left, top, width, height;
        const char* text;
        int px;
        bool bold;
        bool autoSize;
    };
    const LabelSpec labels[] = {
        {&Label14, 15, 1, 39, 25, "Hora", 19, false, true},
        {&L1, 14, 351, 200, 22, "", 16, false, false},
        {&L2, 14, 371, 200, 21, "", 16, false, false},
        {&Label2, 127, 0, 74, 25, "Minuto(s)", 19, false, true},
        {&Label3, 98, 17, 15, 37, ": ", 27, true, true},
        {&Label9, 98, 65, 15, 37, ": ", 27, true, true},
        {&Label4, 282, 1, 39, 25, "Hora", 19, false, true},
        {&Label5, 365, 17, 15, 37, ": ", 27, true, true},
        {&Label6, 394, 0, 74, 25, "Minuto(s)", 19, false, true},
        {&Label7, 365, 65, 15, 37, ": ", 27, true, true},
        {&Label8, 530, 1, 39, 25, "Hora", 19, false, true},
        {&Label10, 613, 17, 15, 37, ": ", 27, true, true},
        {&Label11, 642, 0, 74, 25, "Minuto(s)", 19, false, true},
        {&Label12, 613, 65, 15, 37, ": ", 27, true, true},
    };
    for (const auto& s : labels) {
        *s.field = MakeLabel(TelaHorIni, QString::fromUtf8(s.text),
                             DesignFont(light, s.px, s.bold ? FontStyle::Bold : FontStyle::Regular), kNavy,
                             QRect(s.left, s.top, s.width, s.height), s.autoSize);
    }

    struct FieldSpec
    {
        Edit** field;
        const char* name;
        int left, top;
    };
    const FieldSpec fields[] = {
        {&H1, "H1", 15, 26},  {&M1, "M1", 127, 26}, {&H2, "H2", 17, 74},  {&M2, "M2", 127, 74},
        {&H3, "H3", 282, 26}, {&M3, "M3", 394, 26}, {&H4, "H4", 282, 74}, {&M4, "M4", 394, 74},
        {&H5, "H5", 530, 26}, {&M5, "M5", 642, 26}, {&H6, "H6", 530, 74}, {&M6, "M6", 642, 74},
    };
    for (const auto& s : fields) {
        auto* edit = new Edit(TelaHorIni);
        edit->setObjectName(QString::fromLatin1(s.name));
        edit->setFont(DesignFont(light, 16));
        edit->setGeometry(s.left, s.top, 65, EditHeightForFont(16));
        edit->SetColor(DesignColor(kFieldRestColor));
        SetPaletteColor(edit, kNavy, QPalette::Text);
        *s.field = edit;
    }
    hours_ = {H1, H2, H3, H4, H5, H6};
    minutes_ = {M1, M2, M3, M4, M5, M6};

    AprChe = new QCheckBox(QStringLiteral("AprChe"), this);
    AprChe->setGeometry(496, 100, 31, 27);
    AprChe->setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    AprChe->hide();
    ApreAuto->ShowsStateOf(AprChe); // screen readers meet the toggle as a check box

    // Tab order: the save button, then the twelve fields; the rest are no tab stops.
    setTabOrder(BitBtn1, H1);
    QWidget* previous = H1;
    for (QWidget* w : {M1, H2, M2, H3, M3, H4, M4, H5, M5, H6, M6}) {
        setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(M6, AprChe);

    TemAbre = new UiTimer(this, 1, true);
    TempFecha = new UiTimer(this, 1, false);

    // What screen readers call the controls; labels are read by their text.
    setAccessibleName(QStringLiteral("Configuração do Quorvelo"));
    Bevel1->setAccessibleName(QStringLiteral("Quadro da apresentação automática"));
    ApreAuto->setAccessibleName(QStringLiteral("Apresentação automática"));
    CheApr->setAccessibleName(QStringLiteral("Estado da apresentação automática"));
    Man->setAccessibleName(QStringLiteral("Fecha"));
    BitBtn1->setAccessibleName(QStringLiteral("Grava dados"));
    TelaHorIni->setAccessibleName(QStringLiteral("Horários"));
    for (int slot = 1; slot <= 6; ++slot) {
        HourField(slot)->setAccessibleName(QStringLiteral("Hora do horário %1").arg(slot));
        MinuteField(slot)->setAccessibleName(QStringLiteral("Minuto do horário %1").arg(slot));
    }

    const std::pair<QWidget*, const char*> names[] = {
        {LSub, "LSub"},       {Bevel1, "Bevel1"},     {ChePsi, "ChePsi"},
        {Label1, "Label1"},   {ApreAuto, "ApreAuto"}, {CheApr, "CheApr"},
        {Man, "Man"},         {BitBtn1, "BitBtn1"},   {TelaHorIni, "TelaHorIni"},
        {AprChe, "AprChe"},   {Label14, "Label14"},   {L1, "L1"},
        {L2, "L2"},           {Label2, "Label2"},     {Label3, "Label3"},
        {Label9, "Label9"},   {Label4, "Label4"},     {Label5, "Label5"},
        {Label6, "Label6"},   {Label7, "Label7"},     {Label8, "Label8"},
        {Label10, "Label10"}, {Label11, "Label11"},   {Label12, "Label12"},
    };
    for (const auto& [w, name] : names)
        w->setObjectName(QString::fromLatin1(name));
    TemAbre->setObjectName(QStringLiteral("TemAbre"));
    TempFecha->setObjectName(QStringLiteral("TempFecha"));
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

    using Enter = void (TAdmFor00::*)(QObject*);
    using KeyPress = void (TAdmFor00::*)(QObject*, char16_t&);
    struct Binding
    {
        Edit* field;
        Enter enter;
        Enter exit;
        KeyPress keyPress;
    };
    const Binding bindings[] = {
        {H1, &TAdmFor00::H1Enter, &TAdmFor00::H1Exit, &TAdmFor00::H1KeyPress},
        {M1, &TAdmFor00::M1Enter, &TAdmFor00::M1Exit, &TAdmFor00::M1KeyPress},
        {H2, &TAdmFor00::H2Enter, &TAdmFor00::H2Exit, &TAdmFor00::H2KeyPress},
        {M2, &TAdmFor00::M2Enter, &TAdmFor00::M2Exit, &TAdmFor00::M2KeyPress},
        {H3, &TAdmFor00::H3Enter, &TAdmFor00::H3Exit, &TAdmFor00::H3KeyPress},
        {M3, &TAdmFor00::M3Enter, &TAdmFor00::M3Exit, &TAdmFor00::M3KeyPress},
        {H4, &TAdmFor00::H4Enter, &TAdmFor00::H4Exit, &TAdmFor00::H4KeyPress},
        {M4, &TAdmFor00::M4Enter, &TAdmFor00::M4Exit, &TAdmFor00::M4KeyPress},
        {H5, &TAdmFor00::H5Enter, &TAdmFor00::H5Exit, &TAdmFor00::H5KeyPress},
        {M5, &TAdmFor00::M1Enter, &TAdmFor00::M5Exit, &TAdmFor00::M5KeyPress}, // M5 gains focus through M1Enter
        {H6, &TAdmFor00::H6Enter, &TAdmFor00::H6Exit, &TAdmFor00::H6KeyPress},
        {M6, &TAdmFor00::M6Enter, &TAdmFor00::M6Exit, &TAdmFor00::M6KeyPress},
    };
    for (const auto& b : bindings) {
        Bind(b.field, &Edit::entered, b.enter);
        Bind(b.field, &Edit::exited, b.exit);
        Bind(b.field, &Edit::keyPressed, b.keyPress);
    }
}

void TAdmFor00::FormCreate(QObject*)
{
    ScreenWidth = kDesignScreenWidth;
    ScreenHeight = kDesignScreenHeight;
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
    // The work area may change (taskbar moved, display scaling changed): keep covering it.
    if (QScreen* s = QGuiApplication::primaryScreen())
        connect(s, &QScreen::availableGeometryChanged, this, &TAdmFor00::PlaceOnWorkArea, Qt::UniqueConnection);
    show();
    activateWindow(); // showing alone does not activate everywhere (X11 without a window manager)
    // The activation sequence belongs to the first showing, not to the focus:
    // some desktops give it late, or never (a Wayland compositor without a seat).
    ActivateAtFirstShowing();
}

void TAdmFor00::PlaceOnWorkArea()
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        setGeometry(WorkAreaOf(s));
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
        qCWarning(lcPictures, "cannot load picture %s", qPrintable(path));
}

void TAdmFor00::CarregaDados()
{
    // A read that fails (no file, a file another program holds, a read
    // error) changes nothing: the box, its picture and the times stay as
    // they were. The picture is still read anew, as on every activation.
    if (!LeArqDados()) {
        ShowCheckPicture(AprChe->isChecked());
        return;
    }
    ShowCheckPicture(AutomaticPresentation());
    AprChe->setChecked(AutomaticPresentation());
    for (int slot = 1; slot <= 6; ++slot) {
        const SlotTime time = Slot(slot);
        HourField(slot)->setText(QString::fromStdU16String(time.hour));
        MinuteField(slot)->setText(QString::fromStdU16String(time.minute));
    }
}

void TAdmFor00::ApreAutoClick(QObject*)
{
    AprChe->setChecked(!AprChe->isChecked());
    ShowCheckPicture(AprChe->isChecked());
}

void TAdmFor00::BitBtn1Click(QObject*)
{
    // Only what an exit check produced is written. Every field is judged as
    // leaving it would judge it, also one that never had the focus (a drop,
    // a menu's paste, a text no reload replaced), and shows the result. An
    // empty field stays empty: the file keeps its ":" for such a slot.
    Edit* refused = nullptr;
    for (int slot = 1; slot <= 6; ++slot) {
        for (Edit* field : {HourField(slot), MinuteField(slot)}) {
            if (field->text().isEmpty())
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
        MostraMensagem(RefusalMessage(KindOf(refused)));
        RequestFocusAfterMessage(refused);
        return;
    }
    std::array<SlotTime, 6> times;
    for (int slot = 1; slot <= 6; ++slot)
        times[std::size_t(slot - 1)] = {HourField(slot)->text().toStdU16String(),
                                        MinuteField(slot)->text().toStdU16String()};
    const bool saved = Grava(AprChe->isChecked(), times);
    MostraMensagem(saved ? QStringLiteral("REGISTRO GRAVADO!!") : QStringLiteral("REGISTRO NÃO GRAVADO!!"));
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
        if (field == H1) {
            IniciaFechamento();
        } else {
            const std::array<Edit*, 12> walk = {H1, M1, H2, M2, H3, M3, H4, M4, H5, M5, H6, M6};
            const auto it = std::find(walk.begin(), walk.end(), field);
            RequestFocus(*(it - 1));
        }
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
    MostraMensagem(RefusalMessage(KindOf(field)));
    RequestFocus(field);
}

void MostraMensagem(const QString& text)
{
    auto* popup = new TAdmForMn(AdmFor00.data());
    AdmForMn = popup;
    popup->Mostra(text);
}
