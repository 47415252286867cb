#include "WindowFixture.h"

#include "AdmUnMn.h"

#include <QTest>

#include <random>

// A save that nobody touched writes what it read: a file saved twice without
// an edit gives the same bytes both times, and a file the tool itself wrote
// comes back byte for byte.

namespace {

// Time lines as people write them by hand: up to six characters of digits,
// colons and blanks.
QByteArray HandWrittenLine(std::mt19937& random)
{
    static const char kAlphabet[] = "0123456789: ";
    std::uniform_int_distribution<int> length(0, 6);
    std::uniform_int_distribution<int> pick(0, int(sizeof kAlphabet) - 2);
    QByteArray line;
    for (int n = length(random); n > 0; --n)
        line += kAlphabet[pick(random)];
    return line;
}

// A file as the tool writes it: eight lines of HH:MM or ":", each within
// its range.
QByteArray ToolWrittenFile(std::mt19937& random)
{
    std::uniform_int_distribution<int> hour(0, 24), minute(0, 60), coin(0, 3);
    QByteArray file = coin(random) == 0 ? "1\r\n" : "0\r\n";
    file += QByteArray::number(coin(random)) + "\r\n";
    for (int slot = 1; slot <= 6; ++slot) {
        if (coin(random) == 0)
            file += ":\r\n";
        else
            file += QString::asprintf("%02d:%02d\r\n", hour(random), minute(random)).toLatin1();
    }
    return file;
}

// Anything from no line to ten, broken by CR LF or LF alone.
QByteArray HandWrittenFile(std::mt19937& random)
{
    std::uniform_int_distribution<int> lines(0, 10), coin(0, 1);
    QByteArray file;
    const int count = lines(random);
    for (int i = 1; i <= count; ++i)
        file +=
            (i == 1 ? QByteArray(coin(random) ? "1" : "0") : HandWrittenLine(random)) + (coin(random) ? "\r\n" : "\n");
    return file;
}

} // namespace

class RoundTripTest : public WindowFixture
{
protected:
    void SetUp() override { root_.WriteCheckImages(); }

    // The file as loaded by an activation and saved with a click, touching
    // nothing; the messages are let go.
    QByteArray SaveUntouched()
    {
        window_->FormActivate(window_);
        ClickSave();
        for (TAdmForMn* popup : Popups())
            Dismiss(popup);
        QCoreApplication::processEvents();
        return root_.ReadSettings();
    }
};

TEST_F(RoundTripTest, AnUntouchedSaveIsStable)
{
    ASSERT_TRUE(Open());
    std::mt19937 random(20261211);
    for (int i = 0; i < 150; ++i) {
        const bool own = i % 3 == 0;
        const QByteArray file = own ? ToolWrittenFile(random) : HandWrittenFile(random);
        SCOPED_TRACE(file.toStdString());
        root_.WriteSettings(file);
        const QByteArray first = SaveUntouched();
        const QByteArray second = SaveUntouched();
        EXPECT_EQ(second.toStdString(), first.toStdString()) << "saved twice without a touch";
        if (own) {
            EXPECT_EQ(first.toStdString(), file.toStdString()) << "a file the tool wrote";
        }
    }
}

// The files that used to drift: empty slots, short hours, short files.
TEST_F(RoundTripTest, FilesSavedTwiceWithoutATouch)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"1\r\n5\r\n07:30\r\n12:00\r\n:\r\n16:00\r\n17:00\r\n18:00\r\n",
         "1\r\n5\r\n07:30\r\n12:00\r\n:\r\n16:00\r\n17:00\r\n18:00\r\n"},
        {":\r\n:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n", "0\r\n:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n:\r\n"},
        {"1\r\n5\r\n7:30\r\n12:00\r\n9:\r\n16:00\r\n17:00\r\n18:00\r\n",
         "1\r\n5\r\n07:30\r\n12:00\r\n09:\r\n16:00\r\n17:00\r\n18:00\r\n"},
        {"0\r\nabc\r\n12:00\r\n", "0\r\nabc\r\n12:00\r\n00:00\r\n:\r\n:\r\n:\r\n:\r\n"},
        {"01\r\n0\r\n7:30\r\n12:3\r\n12:345\r\n\r\n:\r\n9\r\n",
         "0\r\n0\r\n07:30\r\n12:03\r\n12:34\r\n:\r\n:\r\n09:\r\n"},
    };
    for (const auto& [file, saved] : cases) {
        SCOPED_TRACE(file.toStdString());
        ASSERT_TRUE(OpenWith(file));
        EXPECT_EQ(SaveUntouched().toStdString(), saved.toStdString());
        EXPECT_EQ(SaveUntouched().toStdString(), saved.toStdString());
        delete window_.data();
    }
}
