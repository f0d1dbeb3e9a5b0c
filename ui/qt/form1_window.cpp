#include "ui/qt/form1_window.h"

#include "ui/form/captions.h"
#include "ui/qt/window_parts.h"

#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

// The window's resources live in a static library: registered explicitly, or
// the linker would leave them out.
static void RegisterWindowResources()
{
    Q_INIT_RESOURCE(orvelin);
}

namespace orvelin::ui::qt {
namespace {

// The window was designed in twips: 15 to a pixel at 96 dots per inch.
QRect Twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

// A focused push button answers Enter as on every desktop, without either
// button becoming the window's default button.
class EnterClicksFocusedButton final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        static_cast<QPushButton*>(watched)->animateClick();
        return true;
    }
};

template <typename Control, typename Parent>
Control* Place(Parent* parent, const char* name, const QRect& geometry)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

}  // namespace

Form1Window::Form1Window(Form1::FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager)
    : form(*this, std::move(createFileSystem), fileManager)
{
    RegisterWindowResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(FromUtf8(kWindowCaption));
    setWindowIcon(QIcon(QStringLiteral(":/orvelin/orvelin.png")));
    resize(594, 117);

    Label1 = Place<QLabel>(this, "Label1", Twips(0, 0, 8895, 735));
    OnTheBand(Label1);
    Label2 = Place<QLabel>(this, "Label2", Twips(120, 120, 8655, 615));
    OnTheBand(Label2);
    Label2->setFont(DesignFont());
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setText(FromUtf8(kInstructions));

    Frame1 = Place<QGroupBox>(this, "Frame1", Twips(120, 840, 8655, 735));
    Command1 = Place<QPushButton>(Frame1, "Command1", Twips(240, 240, 1455, 375));
    Command1->setText(QStringLiteral("&Generate"));
    Label3 = Place<QLabel>(Frame1, "Label3", Twips(3840, 300, 3015, 255));
    Label3->setFont(DesignFont());
    Label3->setText(FromUtf8(kCreditLine));
    progressLine_ = Label3;
    Command2 = Place<QPushButton>(Frame1, "Command2", Twips(1920, 240, 1455, 375));
    Command2->setText(QStringLiteral("&Cancel"));
    auto* enterClicks = new EnterClicksFocusedButton(this);
    for (QPushButton* button : {Command1, Command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(enterClicks);
    }
    setTabOrder(Command1, Command2);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, [this] { form.Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { form.Command2_Click(); });
    setAcceptDrops(true);
    form.Form_Load();
}

Form1Window::~Form1Window() = default;

void Form1Window::OnClose()
{
    form.Form_Unload();
}

void Form1Window::OpenFile(const std::string& file)
{
    form.OpenFile(file);
}

}  // namespace orvelin::ui::qt
