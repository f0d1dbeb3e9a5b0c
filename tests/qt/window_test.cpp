// The main window on Qt's offscreen platform: its look at start-up and whole
// Generate runs, with every dialog and message box answered through its seam.

#include "engine/failure.h"
#include "platform/local_file_system.h"
#include "tests/support/calendars.h"
#include "tests/support/hooked_file_system.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/temp_folder.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/message_box.h"
#include "ui/qt/standalone_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <sys/stat.h>

namespace orvelin::testing {
namespace {

using ui::qt::FileDialog;
using ui::qt::Form1Window;
using ui::qt::MessageBox;
using ui::qt::ShownBox;
using ui::qt::StandaloneWindow;

class Window : public ::testing::Test {
protected:
    Window()
    {
        MessageBox::SetAnswerer([this](const ShownBox& box) {
            boxes.push_back(box);
            captionsAtBoxes.push_back(form.Label3->isVisible() ? form.Label3->text() : QStringLiteral("<hidden>"));
        });
        form.show();
        form.activateWindow();
    }
    ~Window() override
    {
        MessageBox::SetAnswerer(nullptr);
        std::filesystem::current_path(savedDirectory);
    }

    // Clicks Generate with the dialog answering path (nullopt: cancel).
    void Generate(std::optional<std::string> path)
    {
        FileDialog::SetNextAnswer(path ? std::optional(QString::fromStdString(*path)) : std::nullopt);
        QTest::mouseClick(form.Command1, Qt::LeftButton);
    }
    std::string Output(int number) { return ReadBytes(folder / ("VCS folder/" + std::to_string(number) + ".vcs")); }

    const std::filesystem::path savedDirectory = std::filesystem::current_path();
    TempFolder folder;
    FileSystemHooks hooks;
    std::function<void(int)>& beforeCreate = hooks.beforeCreate;
    std::function<void()>& afterExists = hooks.afterExists;
    RecordingLauncher launcher;
    Form1Window form{
        [this] { return std::make_unique<HookedFileSystem>(hooks, std::make_unique<platform::LocalFileSystem>()); },
        launcher};
    QSignalSpy ends{&form, &Form1Window::programEnding};
    std::vector<ShownBox> boxes;
    std::vector<QString> captionsAtBoxes;
};

TEST_F(Window, StartsWithTheDesignedLayout)
{
    EXPECT_EQ(form.windowTitle(), "Orvelin Version 1.0");
    EXPECT_EQ(form.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    EXPECT_EQ(form.size(), QSize(594, 117));
    const std::vector<std::pair<QWidget*, QRect>> layout{
        {form.Label1, {0, 0, 593, 49}},    {form.Label2, {8, 8, 577, 41}},    {form.Frame1, {8, 56, 577, 49}},
        {form.Command1, {16, 16, 97, 25}}, {form.Label3, {256, 20, 201, 17}}, {form.Command2, {128, 16, 97, 25}}};
    for (const auto& [control, geometry] : layout) {
        EXPECT_EQ(control->geometry(), geometry) << control->objectName().toStdString();
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_EQ(form.Command1->parentWidget(), form.Frame1);
    EXPECT_EQ(form.Label3->parentWidget(), form.Frame1);

    EXPECT_EQ(form.Label2->text(),
              "Click \"Generate\" and select the VCalendar (.vcs) file that you wish to split into individual (.vcs) "
              "files.    The files will be generated in the same location as the selected file under a folder "
              "titled -VCS folder.  ");
    EXPECT_TRUE(form.Label2->wordWrap());
    EXPECT_TRUE(form.Label2->alignment() & Qt::AlignLeft);
    EXPECT_EQ(form.Command1->text(), "&Generate");
    EXPECT_EQ(form.Command2->text(), "&Cancel");
    EXPECT_EQ(form.Frame1->title(), "");
    EXPECT_EQ(form.Label3->text(), "Orvelin 1.0 - MIT licence");
    EXPECT_LE(form.Label3->fontMetrics().horizontalAdvance(form.Label3->text()), form.Label3->width()) << "unclipped";

    for (QLabel* label : {form.Label2, form.Label3}) {
        EXPECT_EQ(label->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25);
        EXPECT_TRUE(label->font().bold());
    }
    // The white band with the instructions standing on it.
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.pixelColor(300, 2), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(590, 40), QColor(Qt::white));
    EXPECT_TRUE(form.Label1->autoFillBackground());
    EXPECT_EQ(form.Label2->palette().color(form.Label2->backgroundRole()), QColor(Qt::white));
    EXPECT_EQ(form.Label2->palette().color(form.Label2->foregroundRole()), QColor(Qt::black));
}

TEST_F(Window, FocusStartsOnGenerateAndTabMovesBetweenTheButtons)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Command1);
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Command2);
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Command1);
    for (QPushButton* button : {form.Command1, form.Command2}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    for (QWidget* passive : {static_cast<QWidget*>(form.Label1), static_cast<QWidget*>(form.Label2),
                             static_cast<QWidget*>(form.Frame1), static_cast<QWidget*>(form.Label3)})
        EXPECT_EQ(passive->focusPolicy(), Qt::NoFocus);
}

TEST_F(Window, AltGOpensTheDialogAndAltCEndsTheProgram)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    WriteBytes(folder / "plain.vcs", "no events");
    FileDialog::SetNextAnswer(QString::fromStdString(folder / "plain.vcs"));
    // An access key clicks its button after the button's short press animation.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 2000));
    EXPECT_EQ(boxes[0].text, "Not a valid VCalendar (.vcs) file format");

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.size() == 1; }, 2000));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(boxes.size(), 1u) << "Cancel ends with no message";
}

TEST_F(Window, AWholeRunWritesTheFilesReportsOpensTheFolderAndEnds)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    std::vector<QString> captionsBeforeCreate;
    beforeCreate = [&](int) { captionsBeforeCreate.push_back(form.Label3->text()); };
    Generate(folder / "export.vcs");

    EXPECT_EQ(captionsBeforeCreate[1], "Generating file ...... 1.vcs");
    EXPECT_EQ(captionsBeforeCreate[2], "Generating file ...... 2.vcs");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "3 Entries have been generated");
    EXPECT_EQ(boxes[0].title, "Orvelin");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Information);
    EXPECT_EQ(captionsAtBoxes[0], "Generating file ...... 3.vcs");
    // The window has closed; the label's own state still tells.
    EXPECT_FALSE(form.Label3->isVisibleTo(form.Frame1));
    EXPECT_EQ(form.Label3->text(), "");
    EXPECT_EQ(launcher.started, std::vector{std::filesystem::canonical(folder / "VCS folder").string()});
    ASSERT_EQ(ends.size(), 1);
    EXPECT_EQ(ends[0][0].toInt(), 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Output(1),
              "Begin:VCalendar\r\nVersion: 1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT\r\n"
              "End:VCalendar\r\n");
    EXPECT_EQ(Output(3),
              "Begin:VCalendar\r\nVersion: 1.0\r\n\r\nBEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT\r\n"
              "End:VCalendar\r\n");
}

// Enough events that the run outlasts several screen frames, so that clicks
// posted early are handled while it is still going.
TEST_F(Window, EnterOnTheFocusedButtonPressesIt)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    WriteBytes(folder / "plain.vcs", "no events");
    FileDialog::SetNextAnswer(QString::fromStdString(folder / "plain.vcs"));
    QTest::keyClick(form.Command1, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 2000));
    EXPECT_EQ(boxes[0].text, "Not a valid VCalendar (.vcs) file format");
    EXPECT_FALSE(form.Command1->isDefault());
    QTest::keyClick(form.Command2, Qt::Key_Enter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ends.size() == 1; }, 2000));
}

// WCAG contrast ratio of two colours (1 to 21).
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

TEST_F(Window, TheInstructionsAreReadableUnderADarkPalette)
{
    QPalette dark;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x35, 0x35, 0x35)},
                                       {QPalette::WindowText, QColor(0xee, 0xee, 0xee)},
                                       {QPalette::Base, QColor(0x1e, 0x1e, 0x1e)},
                                       {QPalette::Text, QColor(0xee, 0xee, 0xee)},
                                       {QPalette::HighlightedText, QColor(0xff, 0xff, 0xff)}})
        dark.setColor(role, colour);
    form.setPalette(dark);
    for (QLabel* label : {form.Label1, form.Label2}) {
        const QColor background = label->palette().color(label->backgroundRole());
        EXPECT_GE(Contrast(background, form.Label2->palette().color(form.Label2->foregroundRole())), 4.5)
            << label->objectName().toStdString();
        EXPECT_EQ(background, QColor(0x1e, 0x1e, 0x1e)) << "the band takes the palette's own colours";
    }
    EXPECT_EQ(form.grab().toImage().pixelColor(590, 40), QColor(0x1e, 0x1e, 0x1e));
}

// The real dialog and boxes, found as they open: filter, title, file mode,
// a cancel that keeps the earlier choice, and the boxes' icons.
TEST_F(Window, TheRealDialogAndBoxes)
{
    MessageBox::SetAnswerer(nullptr);
    WriteBytes(folder / "plain.vcs", "no events");
    struct Seen {
        QStringList filters;
        QString title;
        QFileDialog::FileMode mode{};
        QString box;
        QMessageBox::Icon icon{};
        QString label3;
    };
    std::vector<Seen> seen;
    // Answers the next dialog (choosing path, or cancelling when it is empty),
    // then the box that follows.
    const auto answer = [&](const QString& path) {
        QTimer::singleShot(0, [&, path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen.push_back({dialog->nameFilters(), dialog->windowTitle(), dialog->fileMode(), {}, {}, {}});
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                seen.back().box = box->text();
                seen.back().icon = box->icon();
                seen.back().label3 = form.Label3->isVisibleTo(form.Frame1) ? form.Label3->text() : "<hidden>";
                box->accept();
            });
            if (path.isEmpty()) {
                dialog->reject();
            } else {
                dialog->selectFile(path);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
        QTest::mouseClick(form.Command1, Qt::LeftButton);
    };
    answer(QString::fromStdString(folder / "plain.vcs"));
    answer({});
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& shown : seen) {
        EXPECT_EQ(shown.filters, QStringList{"VCalendar (*.vcs)"});
        EXPECT_EQ(shown.title, "Browse and select the VCalendar file");
        EXPECT_EQ(shown.mode, QFileDialog::ExistingFile) << "only an existing file can be chosen";
        EXPECT_EQ(shown.box, "Not a valid VCalendar (.vcs) file format") << "the cancel kept the earlier file";
        EXPECT_EQ(shown.icon, QMessageBox::Information);
        EXPECT_EQ(shown.label3, "Orvelin 1.0 - MIT licence");
    }
    EXPECT_EQ(form.form.CommonDialog1.fileTitle(), "plain.vcs");

    // A failure's box carries the critical icon.
    WriteBytes(folder / "VCS folder", "in the way");
    WriteBytes(folder / "export.vcs", kThreeEvents);
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->windowTitle(), "Orvelin Error");
            box->accept();
        });
        dialog->selectFile(QString::fromStdString(folder / "export.vcs"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    EXPECT_EQ(form.form.CommonDialog1.fileTitle(), "export.vcs");
}

std::string ManyEvents(int count)
{
    std::string text = "BEGIN:VCALENDAR\r\n";
    for (int n = 1; n <= count; ++n)
        text += "BEGIN:VEVENT\r\nSUMMARY:" + std::to_string(n) + "\r\nEND:VEVENT\r\n";
    return text + "END:VCALENDAR\r\n";
}

constexpr int kManyEvents = 5000;

TEST_F(Window, CancelOrClosingDuringARunEndsItBetweenTwoFiles)
{
    for (const bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "closed by its frame" : "Cancel clicked");
        TempFolder other;
        WriteBytes(other / "export.vcs", ManyEvents(kManyEvents));
        Form1Window running(
            [this] { return std::make_unique<HookedFileSystem>(hooks, std::make_unique<platform::LocalFileSystem>()); },
            launcher);
        QSignalSpy runningEnds(&running, &Form1Window::programEnding);
        running.show();
        int lastCreate = 0;
        beforeCreate = [&](int create) {
            lastCreate = create;
            if (create != 2)
                return;
            if (byFrame)
                QMetaObject::invokeMethod(&running, &QWidget::close, Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(running.Command2, &QPushButton::click, Qt::QueuedConnection);
        };
        FileDialog::SetNextAnswer(QString::fromStdString(other / "export.vcs"));
        QTest::mouseClick(running.Command1, Qt::LeftButton);

        ASSERT_EQ(runningEnds.size(), 1);
        EXPECT_EQ(runningEnds[0][0].toInt(), 0);
        EXPECT_TRUE(boxes.empty()) << "no summary";
        EXPECT_TRUE(launcher.started.empty());
        ASSERT_LT(lastCreate, kManyEvents);
        const std::string last = std::to_string(lastCreate);
        EXPECT_EQ(ReadBytes(other / ("VCS folder/" + last + ".vcs")),
                  "Begin:VCalendar\r\nVersion: 1.0\r\n\r\nBEGIN:VEVENT\r\nSUMMARY:" + last +
                      "\r\nEND:VEVENT\r\nEnd:VCalendar\r\n");
        EXPECT_EQ(ReadBytes(other / ("VCS folder/" + std::to_string(lastCreate + 1) + ".vcs")), "<missing>");
    }
}

// A calendar dropped on the plain window is split as if chosen in the
// dialog; on the standalone window it is named and waits for Generate.
TEST_F(Window, ACalendarDroppedOnEitherWindowIsSplit)
{
    WriteBytes(folder / "export.vcs", kThreeEvents);
    const auto drop = [this](QWidget* window) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder / "export.vcs"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &dropped);
    };
    drop(&form);
    EXPECT_EQ(ends.size(), 1);
    EXPECT_EQ(ReadBytes(folder / "VCS folder/3.vcs"),
              "Begin:VCalendar\r\nVersion: 1.0\r\n\r\nBEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT\r\nEnd:VCalendar\r\n");

    // The plain split's files are no result the standalone split may replace.
    std::filesystem::remove_all(Utf8Path(folder / "VCS folder"));
    MemorySettings settings;
    StandaloneWindow standalone([] { return std::make_unique<platform::LocalFileSystem>(); }, launcher, settings);
    QSignalSpy standaloneEnds(&standalone, &StandaloneWindow::programEnding);
    standalone.form.OpenFile(folder / "missing.ics");
    EXPECT_EQ(boxes.back().owner, &standalone) << "a box about it is the window's, shown or not";
    MessageBox::SetAnswerToQuestions(false);
    drop(&standalone);
    EXPECT_TRUE(standalone.instructions->text().startsWith("Click \"Generate\" to split \"export.vcs\" with the"));
    EXPECT_EQ(standaloneEnds.size(), 0);
    QTest::mouseClick(standalone.generate, Qt::LeftButton);
    MessageBox::SetAnswerToQuestions(true);
    EXPECT_EQ(standaloneEnds.size(), 1);
    EXPECT_EQ(ReadBytes(folder / "VCS folder/3.vcs"),
              "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:C\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(boxes.back().text.toStdString(),
              "3 entries went into 3 files in " + folder.path() + "VCS folder.\n\nOpen the folder?");
}

// Every choice of the standalone window has its access key; names take no
// input while a period is chosen.
TEST(StandaloneWindowControls, EachHasItsAccessKey)
{
    RecordingLauncher launcher;
    MemorySettings settings;
    StandaloneWindow window([] { return std::make_unique<platform::LocalFileSystem>(); }, launcher, settings);
    const std::vector<std::pair<QAbstractButton*, const char*>> keyed{
        {window.oneEntry, "&One entry per file"},
        {window.entries, "&Up to"},
        {window.oneMegabyte, "Up to &1 MB per file, as many services take"},
        {window.size, "Up to a si&ze of"},
        {window.byYear, "One file per &year: 2024.ics, ..."},
        {window.byMonth, "One file per &month: 2024-03.ics, ..."},
        {window.toICalendar, "&Write iCalendar 2.0 (.ics) files"},
        {window.byNumber, "&Numbers: 1.ics, 2.ics, ..."},
        {window.byDate, "&Date and summary:\n2026-03-01 0930 Standup.ics"},
        {window.byUid, "U&ID of the entry"},
        {window.beside, "\"&VCS folder\" beside the calendar"},
        {window.ownFolder, "&This folder:"},
        {window.browse, "&Browse..."},
        {window.generate, "&Generate"},
        {window.cancel, "&Cancel"}};
    QString keys;
    for (const auto& [control, text] : keyed) {
        EXPECT_EQ(control->text(), QString::fromUtf8(text));
        keys += control->text().at(control->text().indexOf('&') + 1).toUpper();
    }
    for (const QChar key : keys)
        EXPECT_EQ(keys.count(key), 1) << "Alt+" << QString(key).toStdString() << " twice";
    EXPECT_EQ(window.windowTitle(), "Orvelin Version 1.0 - Whole calendars");
    window.byMonth->click();
    EXPECT_FALSE(window.byDate->isEnabled());
    window.size->click();
    EXPECT_TRUE(window.byDate->isEnabled());
}

}  // namespace
}  // namespace orvelin::testing

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
