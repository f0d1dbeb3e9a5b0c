#include "ui/form1.h"

#include "engine/failure.h"
#include "engine/split_run.h"
#include "ui/message_box.h"
#include "ui/window_host.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

// The window's resources live in a static library: registered explicitly, or
// the linker would leave them out.
static void RegisterWindowResources()
{
    Q_INIT_RESOURCE(orvelin);
}

namespace orvelin::ui {
namespace {

// The window was designed in twips: 15 to a pixel at 96 dots per inch.
QRect Twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

QFont DesignFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

void SetBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template <typename Control, typename Parent>
Control* Place(Parent* parent, const char* name, const QRect& geometry)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

const QString kInstructions = QStringLiteral(
    "Click \"Generate\" and select the VCalendar (.vcs) file that you wish to split into individual (.vcs) files.    "
    "The files will be generated in the same location as the selected file under a folder titled -VCS folder.  ");

}  // namespace

Form1::Form1(FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager)
    : CommonDialog1(this), createFileSystem_(std::move(createFileSystem)),
      host_(std::make_unique<WindowHost>(*this, fileManager))
{
    RegisterWindowResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orvelin Version 1.0"));
    setWindowIcon(QIcon(QStringLiteral(":/orvelin/orvelin.png")));
    resize(594, 117);

    // The white band across the top: system colour 9 (caption text) in the
    // standard scheme; the instructions on system colour 14 (highlight text).
    Label1 = Place<QLabel>(this, "Label1", Twips(0, 0, 8895, 735));
    SetBackground(Label1, Qt::white);
    Label2 = Place<QLabel>(this, "Label2", Twips(120, 120, 8655, 615));
    SetBackground(Label2, palette().color(QPalette::HighlightedText));
    Label2->setFont(DesignFont());
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setText(kInstructions);

    Frame1 = Place<QGroupBox>(this, "Frame1", Twips(120, 840, 8655, 735));
    Command1 = Place<QPushButton>(Frame1, "Command1", Twips(240, 240, 1455, 375));
    Command1->setText(QStringLiteral("&Generate"));
    Label3 = Place<QLabel>(Frame1, "Label3", Twips(3840, 300, 3015, 255));
    Label3->setFont(DesignFont());
    Label3->setText(QStringLiteral("Orvelin 1.0 - freeware"));
    Command2 = Place<QPushButton>(Frame1, "Command2", Twips(1920, 240, 1455, 375));
    Command2->setText(QStringLiteral("&Cancel"));
    for (QPushButton* button : {Command1, Command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(Command1, Command2);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    state_.fileNumber = 1;
    Label3->setVisible(true);
}

void Form1::Command1_Click()
{
    // A click that arrives while a run pumps events would start a second run
    // over the first one's state: it is ignored.
    if (running_ || ending_)
        return;
    state_.fileSystem = createFileSystem_();
    CommonDialog1.setFilter(QStringLiteral("VCalendar|*.vcs"));
    CommonDialog1.setDialogTitle(QStringLiteral("Browse and select the VCalendar file"));
    CommonDialog1.setFlags(CommonDialog::kFileMustExist);
    CommonDialog1.ShowOpen();
    if (!CommonDialog1.fileName().isEmpty()) {
        running_ = true;
        std::optional<ErrorInfo> failure;
        try {
            failure = CatchAnyFailure([this] {
                SplitRun(state_, *host_).RunFromFile(QFile::encodeName(CommonDialog1.fileName()).toStdString());
            });
        } catch (const ProgramEnd&) {
            // The run ended the program; the window is already closing.
        }
        if (failure)
            ReportUnguardedFailure(failure->number, QString::fromStdString(failure->description));
        running_ = false;
    }
    state_.fileSystem.reset();
}

void Form1::Command2_Click()
{
    EndProgram(0);
}

void Form1::closeEvent(QCloseEvent* event)
{
    EndProgram(0);
    event->accept();
}

// Ends without unwinding through Qt: a run in progress notices ending() when
// its event pump returns, and stops there.
void Form1::EndProgram(int exitStatus)
{
    if (ending_)
        return;
    ending_ = true;
    close();
    emit programEnding(exitStatus);
}

// The platform's standard error report for a failure no procedure caught.
void Form1::ReportUnguardedFailure(int number, const QString& description)
{
    MessageBox::Show(this, QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description),
                     QStringLiteral("Orvelin"), BoxIcon::Critical);
    EndProgram(1);
}

}  // namespace orvelin::ui
