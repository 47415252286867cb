#pragma once

#include "Form.h"
#include "SettingsRecord.h"
#include "TimeField.h"

#include <QPointer>
#include <QRect>

#include <array>
#include <set>
#include <string>

class Bevel;
class BitBtn;
class Edit;
class ImageBox;
class Panel;
class QCheckBox;
class QLabel;
class SpeedButton;
class UiTimer;

// What creation scaling needs to know of the primary screen, in logical pixels.
struct ScreenMetrics
{
    int width = 0;
    QRect workArea;

    static ScreenMetrics Primary();
};

// The configuration window: the full-screen, borderless window in which the
// user sets the six reminder times and the automatic presentation, and saves.
// It keeps the settings record (CnfApr, CnfWin, HS1..HS6) of the file it edits.
class TAdmFor00 : public Form
{
    Q_OBJECT
public:
    // `dataRoot` holds Dados/Dados.txt and IMAGEM/*.JPG.
    explicit TAdmFor00(const QString& dataRoot, const ScreenMetrics& screen = ScreenMetrics::Primary());

    // Places the window over the primary screen's work area, shows it and
    // makes it the active window (still fully transparent).
    void ShowFirstTime();

    int ScreenWidth = 0;
    int ScreenHeight = 0;
    std::int32_t Teste = 0;

    QLabel* LSub;
    Bevel* Bevel1;
    ImageBox* ChePsi;
    QLabel* Label1;
    SpeedButton* ApreAuto;
    ImageBox* CheApr;
    Panel* Man;
    BitBtn* BitBtn1;
    Panel* TelaHorIni;
    QCheckBox* AprChe;
    UiTimer* TemAbre;
    UiTimer* TempFecha;

    QLabel* Label14;
    QLabel* L1;
    QLabel* L2;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label9;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;

    Edit* H1;
    Edit* M1;
    Edit* H2;
    Edit* M2;
    Edit* H3;
    Edit* M3;
    Edit* H4;
    Edit* M4;
    Edit* H5;
    Edit* M5;
    Edit* H6;
    Edit* M6;

    // Hour and minute field of slot 1..6; any other slot throws std::out_of_range.
    Edit* HourField(int slot) const { return hours_.at(std::size_t(slot - 1)); }
    Edit* MinuteField(int slot) const { return minutes_.at(std::size_t(slot - 1)); }

public slots:
    // Handlers, bound to the signals of the window and its controls in BindEvents.
    void FormCreate(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender, CloseAction& Action);
    void TemAbreTimer(QObject* Sender);
    void TempFechaTimer(QObject* Sender);
    void ManClick(QObject* Sender);
    void ApreAutoClick(QObject* Sender);
    void BitBtn1Click(QObject* Sender);

    // Time fields. Focus gained: the focus colour (M5 shares M1Enter).
    void H1Enter(QObject* Sender);
    void M1Enter(QObject* Sender);
    void H2Enter(QObject* Sender);
    void M2Enter(QObject* Sender);
    void H3Enter(QObject* Sender);
    void M3Enter(QObject* Sender);
    void H4Enter(QObject* Sender);
    void M4Enter(QObject* Sender);
    void H5Enter(QObject* Sender);
    void H6Enter(QObject* Sender);
    void M6Enter(QObject* Sender);
    // Focus lost: the exit check of the handler's own field.
    void H1Exit(QObject* Sender);
    void M1Exit(QObject* Sender);
    void H2Exit(QObject* Sender);
    void M2Exit(QObject* Sender);
    void H3Exit(QObject* Sender);
    void M3Exit(QObject* Sender);
    void H4Exit(QObject* Sender);
    void M4Exit(QObject* Sender);
    void H5Exit(QObject* Sender);
    void M5Exit(QObject* Sender);
    void H6Exit(QObject* Sender);
    void M6Exit(QObject* Sender);
    // Typed character: the key filter.
    void H1KeyPress(QObject* Sender, char16_t& Key);
    void M1KeyPress(QObject* Sender, char16_t& Key);
    void H2KeyPress(QObject* Sender, char16_t& Key);
    void M2KeyPress(QObject* Sender, char16_t& Key);
    void H3KeyPress(QObject* Sender, char16_t& Key);
    void M3KeyPress(QObject* Sender, char16_t& Key);
    void H4KeyPress(QObject* Sender, char16_t& Key);
    void M4KeyPress(QObject* Sender, char16_t& Key);
    void H5KeyPress(QObject* Sender, char16_t& Key);
    void M5KeyPress(QObject* Sender, char16_t& Key);
    void H6KeyPress(QObject* Sender, char16_t& Key);
    void M6KeyPress(QObject* Sender, char16_t& Key);
    // Esc on the save button goes back to the last minute field.
    void BitBtn1KeyPress(QObject* Sender, char16_t& Key);

public:
    // The start-closing action: opacity on, closing timer started anew.
    void IniciaFechamento();

    // Loads the settings file into the controls.
    void CarregaDados();

private:
    void CreateControls();
    void CreateTimeFields();
    void BindEvents();
    void PlaceOnWorkArea();
    // Creation scaling from the layout as designed (at 96 pixels per inch)
    // for the primary screen as `screen_` holds it.
    void ScaleLayout();
    // The screens changed (one added, removed or moved, the primary's size
    // or work area): the window goes back over the primary's work area, and
    // is scaled anew when the primary's width changed.
    void FollowScreens();
    void WatchScreens();
    void ShowCheckPicture(bool checked);
    void SetFocusColour(QObject* Sender);
    void CheckOnExit(Edit* field, QObject* Sender);
    void FilterKey(Edit* field, char16_t& Key);
    FieldKind KindOf(const Edit* field) const;

    // A failed read or save is shown only by the design's messages; its
    // cause goes to the log for whoever runs the machine.
    void LogFailure(const SettingsResult& result, SettingsOperation operation);

    SettingsRecord record_;
    bool saving_ = false;         // the save is taking the focus from the field being left
    std::string lastReadFailure_; // a read that keeps failing the same way is logged once
    QString dataRoot_;
    std::set<QString> reportedPictures_; // missing pictures said once each
    ScreenMetrics screen_;
    bool followPending_ = false;
    std::array<Edit*, 6> hours_{};
    std::array<Edit*, 6> minutes_{};
};

// The one configuration window; set before its creation handler runs.
extern QPointer<TAdmFor00> AdmFor00;

// Creates and shows a new message popup with `text` and returns at once.
void MostraMensagem(const QString& text);
// The same for a refused value: the message does not take the focus, which
// the window asks back at once (its activation then runs).
void ShowRefusal(const QString& text);
