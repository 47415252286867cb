#include "WindowFixture.h"

#include "BitBtn.h"
#include "Edit.h"
#include "Panel.h"
#include "SpeedButton.h"
#include "UiTimer.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

namespace {

struct Expected
{
    const char* name;
    QRect geometry; // an empty size: sized to its text, only the position is fixed
    const char* text;
};

QString TextOf(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* p = qobject_cast<Panel*>(w))
        return p->Caption();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}

// The height of the text cursor: that of a line of the edit's laid-out text.
int CursorHeight(const QLineEdit* edit)
{
    return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().height();
}

} // namespace

using LayoutTest = WindowFixture;

TEST_F(LayoutTest, EveryControlStandsAtItsPlaceOnAnEightHundredPixelScreen)
{
    ASSERT_TRUE(Open());
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().width(), 800) << "the offscreen screen is the design size";
    EXPECT_EQ(window_->windowTitle(), "AdmFor00");
    EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window_->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_EQ(window_->palette().color(QPalette::Window), QColor(0, 0, 0x2D));

    const Expected controls[] = {
        {"LSub", {8, 8, 786, 49}, "CONFIGURAÇÃO DO QUORVELO"},
        {"Bevel1", {8, 63, 773, 82}, ""},
        {"ChePsi", {467, 342, 31, 32}, ""},
        {"Label1",
         {30, 179, 0, 0},
         "Preencha as horas e minutos que vc deseja que o chame para fazer os exercícios (ESC retorna)"},
        {"ApreAuto", {30, 92, 400, 35}, "CLIQUE PARA A APRESENTAÇÃO AUTOMÁTICA OU NÃO"},
        {"CheApr", {436, 92, 31, 35}, ""},
        {"Man", {30, 368, 212, 50}, "FECHA"},
        {"BitBtn1", {648, 368, 133, 50}, "GRAVA DADOS"},
        {"TelaHorIni", {30, 206, 751, 107}, ""},
        {"AprChe", {496, 100, 31, 27}, "AprChe"},
        {"Label14", {15, 1, 0, 0}, "Hora"},
        {"L1", {14, 351, 200, 22}, ""},
        {"L2", {14, 371, 200, 21}, ""},
        {"Label2", {127, 0, 0, 0}, "Minuto(s)"},
        {"Label3", {98, 17, 0, 0}, ": "},
        {"Label9", {98, 65, 0, 0}, ": "},
        {"Label4", {282, 1, 0, 0}, "Hora"},
        {"Label5", {365, 17, 0, 0}, ": "},
        {"Label6", {394, 0, 0, 0}, "Minuto(s)"},
        {"Label7", {365, 65, 0, 0}, ": "},
        {"Label8", {530, 1, 0, 0}, "Hora"},
        {"Label10", {613, 17, 0, 0}, ": "},
        {"Label11", {642, 0, 0, 0}, "Minuto(s)"},
        {"Label12", {613, 65, 0, 0}, ": "},
        {"H1", {15, 26, 65, 29}, ""},
        {"M1", {127, 26, 65, 29}, ""},
        {"H2", {17, 74, 65, 29}, ""},
        {"M2", {127, 74, 65, 29}, ""},
        {"H3", {282, 26, 65, 29}, ""},
        {"M3", {394, 26, 65, 29}, ""},
        {"H4", {282, 74, 65, 29}, ""},
        {"M4", {394, 74, 65, 29}, ""},
        {"H5", {530, 26, 65, 29}, ""},
        {"M5", {642, 26, 65, 29}, ""},
        {"H6", {530, 74, 65, 29}, ""},
        {"M6", {642, 74, 65, 29}, ""},
    };
    for (const auto& c : controls) {
        auto* w = window_->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        if (c.geometry.isEmpty()) {
            EXPECT_EQ(w->pos(), c.geometry.topLeft()) << c.name;
            EXPECT_FALSE(w->size().isEmpty()) << c.name;
        } else {
            EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        }
        EXPECT_EQ(TextOf(w), QString::fromUtf8(c.text)) << c.name;
    }

    // Hidden, or clipped away below the hour panel: never seen.
    EXPECT_FALSE(window_->ChePsi->isVisible());
    EXPECT_FALSE(window_->AprChe->isVisible());
    EXPECT_TRUE(window_->L1->visibleRegion().isEmpty());
    EXPECT_TRUE(window_->L2->visibleRegion().isEmpty());
    for (QWidget* w : {static_cast<QWidget*>(window_->LSub), static_cast<QWidget*>(window_->Man),
                       static_cast<QWidget*>(window_->BitBtn1), static_cast<QWidget*>(window_->M6)})
        EXPECT_FALSE(w->visibleRegion().isEmpty()) << qPrintable(w->objectName());

    EXPECT_EQ(window_->LSub->font().pixelSize(), 27);
    EXPECT_TRUE(window_->LSub->font().underline());
    EXPECT_EQ(window_->Man->font().pixelSize(), 20);
    EXPECT_EQ(window_->Man->font().weight(), QFont::Bold);
    EXPECT_EQ(window_->H1->font().pixelSize(), 16);
    EXPECT_EQ(window_->ApreAuto->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window_->Man->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(window_->AprChe->isChecked());
    EXPECT_TRUE(window_->TemAbre->Enabled() || window_->Opacity.Value() == 255);
    EXPECT_FALSE(window_->TempFecha->Enabled());
}

TEST_F(LayoutTest, TabCyclesThroughTheSaveButtonAndTheTwelveFieldsOnly)
{
    ASSERT_TRUE(Open());
    window_->BitBtn1->setFocus();
    ASSERT_TRUE(WaitFor([&] { return window_->BitBtn1->hasFocus(); }));

    QStringList visited;
    for (int i = 0; i < 13; ++i) {
        QTest::keyClick(Focused(), Qt::Key_Tab);
        visited << Focused()->objectName();
    }
    EXPECT_EQ(visited.join(' '), "H1 M1 H2 M2 H3 M3 H4 M4 H5 M5 H6 M6 BitBtn1");
}

TEST_F(LayoutTest, CreationScalingFollowsAWideScreen)
{
    const ScreenMetrics wide{1920, QRect(0, 0, 1920, 1040)};
    TAdmFor00 w(root_.Path(), wide);
    EXPECT_EQ(w.Man->geometry(), QRect(72, 883, 509, 120));
    EXPECT_EQ(w.Man->font().pixelSize(), 48);
    EXPECT_EQ(w.LSub->geometry(), QRect(19, 19, 1887, 118));
    EXPECT_EQ(w.LSub->font().pixelSize(), 65);
    EXPECT_EQ(w.TelaHorIni->geometry(), QRect(72, 494, 1802, 257));
    // Inside the hour panel too; the fields' height follows their font (38 px).
    EXPECT_EQ(w.H3->pos(), QPoint(677, 62));
    EXPECT_EQ(w.H3->font().pixelSize(), 38);
    EXPECT_EQ(w.H3->height(), 59);
    EXPECT_EQ(w.H3->width(), 156);
    EXPECT_EQ(w.ScreenWidth, 800);
    EXPECT_EQ(w.ScreenHeight, 600);
}

// Labels sized to their text take the widths the layout was drawn with, in
// the design's faces or in their stand-ins: a stand-in that sets text wider
// or narrower would push the hour panel's captions out of place.
TEST_F(LayoutTest, LabelsSizedToTheirTextKeepTheLayoutWidths)
{
    const ScreenMetrics design{800, QRect(0, 0, 800, 600)};
    TAdmFor00 w(root_.Path(), design);
    const struct
    {
        QLabel* label;
        int width;
    } labels[] = {
        {w.Label1, 627}, {w.Label2, 74}, {w.Label14, 39}, {w.Label6, 74}, {w.Label4, 39},
    };
    for (const auto& l : labels) {
        EXPECT_NEAR(l.label->width(), l.width, l.width * 0.02 + 0.5)
            << qPrintable(l.label->objectName()) << " \"" << qPrintable(l.label->text()) << "\" in "
            << qPrintable(QFontInfo(l.label->font()).family());
    }
}

TEST_F(LayoutTest, CreationScalingKeepsTheLayoutInsideAWorkAreaNarrowedByADock)
{
    // A 60 px dock on the left of a 1366 x 768 screen: the layout follows the
    // 1306 px of the work area, not the 1366 of the screen.
    const ScreenMetrics docked{1366, QRect(60, 0, 1306, 768)};
    TAdmFor00 w(root_.Path(), docked);
    EXPECT_EQ(w.Man->geometry(), QRect(49, 601, 346, 81));
    EXPECT_EQ(w.Man->font().pixelSize(), 33);
    for (QWidget* c : {static_cast<QWidget*>(w.BitBtn1), static_cast<QWidget*>(w.TelaHorIni),
                       static_cast<QWidget*>(w.Bevel1), static_cast<QWidget*>(w.LSub)})
        EXPECT_LE(c->geometry().right(), 1306 - 1) << qPrintable(c->objectName());
}

// The fields lay their text out in the font they show, however the window
// came to give it to them: unscaled, or scaled once the controls were made.
// A field whose text kept an earlier font would draw it, and place its cursor,
// at the wrong size.
TEST_F(LayoutTest, TimeFieldsLayTheirTextOutInTheirFinalFont)
{
    const ScreenMetrics screens[] = {{800, QRect(0, 0, 800, 600)}, {1920, QRect(0, 0, 1920, 1040)}};
    for (const ScreenMetrics& screen : screens) {
        TAdmFor00 w(root_.Path(), screen);
        for (Edit* field : {w.H1, w.M6}) {
            QLineEdit reference;
            reference.setFont(field->font());
            EXPECT_EQ(CursorHeight(field), CursorHeight(&reference))
                << qPrintable(field->objectName()) << " on a screen " << screen.width << " px wide";
        }
    }
}
