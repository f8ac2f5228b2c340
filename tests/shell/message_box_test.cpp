// A message with a detail: the box keeps the text the user knows and shows the file and the
// reason behind "Show Details...", and standard error has both.
#include "shell/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace q50 {
namespace {

TEST(MessageBox, TheDefaultBoxShowsTheDetailAndStandardErrorHasBoth) {
    MessageBoxSink sink; // show_error_box, as the program has it
    QString text, detail;
    // The box runs a loop of its own: it is read and closed from there.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        text = box->text();
        detail = box->detailedText();
        box->accept();
    });
    ::testing::internal::CaptureStderr();
    sink.detailed_error("Sound folder unproperly installed. Please reinstall the game.",
                        "Sound/Bombfall.wav is not a regular file.");
    // Qt's offscreen platform may add lines of its own after it.
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.substr(0, err.find('\n') + 1),
              "Quendrix50: Sound folder unproperly installed. Please reinstall the game. "
              "Sound/Bombfall.wav is not a regular file.\n");
    EXPECT_EQ(text, "Sound folder unproperly installed. Please reinstall the game.");
    EXPECT_EQ(detail, "Sound/Bombfall.wav is not a regular file.");
}

TEST(MessageBox, APresenterOfItsOwnGetsTheTextAndADetailedOneTheDetailToo) {
    std::vector<std::string> plain, detailed;
    MessageBoxSink only_text([&](QWidget*, const QString& t) { plain.push_back(t.toStdString()); });
    MessageBoxSink both([&](QWidget*, const QString& t) { plain.push_back(t.toStdString()); },
                        [&](QWidget*, const QString& t, const QString& d) {
                            detailed.push_back(t.toStdString() + " | " + d.toStdString());
                        });
    ::testing::internal::CaptureStderr();
    only_text.detailed_error("Text.", "Detail.");
    both.detailed_error("Text.", "Detail.");
    both.error("Plain.");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(plain, (std::vector<std::string>{"Text.", "Plain."}));
    EXPECT_EQ(detailed, (std::vector<std::string>{"Text. | Detail."}));
}

} // namespace
} // namespace q50
