#include "ui/qt/standalone_window.h"

#include "ui/form/captions.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/message_box.h"
#include "ui/qt/window_parts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvelin::ui::qt {
namespace {

template <typename Control>
Control* Named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QRadioButton* Radio(const char* name, const QString& text)
{
    return Named(new QRadioButton(text), name);
}

// A choice with a field: typing in the field makes it the choice, and the
// choice's access key leads into the field.
void Pair(QRadioButton* choice, QLineEdit* field)
{
    QObject::connect(choice, &QRadioButton::clicked, field, [field] { field->setFocus(); });
    QObject::connect(field, &QLineEdit::textEdited, choice, [choice] { choice->setChecked(true); });
}

}  // namespace

StandaloneWindow::StandaloneWindow(FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
                                   Settings& settings)
    : form(*this, std::move(createFileSystem), fileManager, settings)
{
    setObjectName(QStringLiteral("StandaloneWindow"));
    setWindowTitle(FromUtf8(kStandaloneCaption));
    setWindowIcon(QIcon(QStringLiteral(":/orvelin/orvelin.png")));
    setMinimumWidth(594);

    instructions = Named(new QLabel, "Instructions");
    // A calendar's name is shown as it is, never as markup.
    instructions->setTextFormat(Qt::PlainText);
    OnTheBand(instructions);
    instructions->setFont(DesignFont());
    instructions->setWordWrap(true);
    instructions->setContentsMargins(8, 8, 8, 8);

    choices_ = new QWidget;
    auto* files = Named(new QGroupBox(QStringLiteral("Files")), "Files");
    oneEntry = Radio("OneEntry", QStringLiteral("&One entry per file"));
    entries = Radio("Entries", QStringLiteral("&Up to"));
    entryCount = Named(new QLineEdit, "EntryCount");
    entryCount->setMaximumWidth(70);
    oneMegabyte = Radio("OneMegabyte", QStringLiteral("Up to &1 MB per file, as many services take"));
    size = Radio("Size", QStringLiteral("Up to a si&ze of"));
    sizeText = Named(new QLineEdit, "SizeText");
    sizeText->setMaximumWidth(90);
    sizeText->setToolTip(QStringLiteral("500 KB, 1 MB (1,000,000 bytes), 1 MiB (1,048,576 bytes)"));
    byYear = Radio("ByYear", QStringLiteral("One file per &year: 2024.ics, ..."));
    byMonth = Radio("ByMonth", QStringLiteral("One file per &month: 2024-03.ics, ..."));
    toICalendar = Named(new QCheckBox(QStringLiteral("&Write iCalendar 2.0 (.ics) files")), "ToICalendar");
    toICalendar->setToolTip(
        QStringLiteral("Each entry of a vCalendar 1.0 calendar becomes an iCalendar 2.0 calendar that means the same"));
    auto* filesLayout = new QGridLayout(files);
    filesLayout->addWidget(oneEntry, 0, 0, 1, 3);
    filesLayout->addWidget(entries, 1, 0);
    filesLayout->addWidget(entryCount, 1, 1);
    filesLayout->addWidget(new QLabel(QStringLiteral("entries per file")), 1, 2);
    filesLayout->addWidget(oneMegabyte, 2, 0, 1, 3);
    filesLayout->addWidget(size, 3, 0);
    filesLayout->addWidget(sizeText, 3, 1);
    filesLayout->addWidget(new QLabel(QStringLiteral("per file")), 3, 2);
    filesLayout->addWidget(byYear, 4, 0, 1, 3);
    filesLayout->addWidget(byMonth, 5, 0, 1, 3);
    filesLayout->addWidget(toICalendar, 6, 0, 1, 3);
    filesLayout->setColumnStretch(2, 1);
    Pair(entries, entryCount);
    Pair(size, sizeText);

    names = Named(new QGroupBox(QStringLiteral("Names")), "Names");
    byNumber = Radio("ByNumber", QStringLiteral("&Numbers: 1.ics, 2.ics, ..."));
    byDate = Radio("ByDate", QStringLiteral("&Date and summary:\n2026-03-01 0930 Standup.ics"));
    byUid = Radio("ByUid", QStringLiteral("U&ID of the entry"));
    auto* namesLayout = new QVBoxLayout(names);
    for (QRadioButton* choice : {byNumber, byDate, byUid})
        namesLayout->addWidget(choice);
    namesLayout->addStretch();

    auto* output = Named(new QGroupBox(QStringLiteral("Output folder")), "OutputFolder");
    beside = Radio("Beside", QStringLiteral("\"&VCS folder\" beside the calendar"));
    ownFolder = Radio("OwnFolder", QStringLiteral("&This folder:"));
    folder = Named(new QLineEdit, "Folder");
    browse = Named(new QPushButton(QStringLiteral("&Browse...")), "Browse");
    auto* outputLayout = new QGridLayout(output);
    outputLayout->addWidget(beside, 0, 0, 1, 3);
    outputLayout->addWidget(ownFolder, 1, 0);
    outputLayout->addWidget(folder, 1, 1);
    outputLayout->addWidget(browse, 1, 2);
    outputLayout->setColumnStretch(1, 1);
    Pair(ownFolder, folder);

    auto* choicesLayout = new QGridLayout(choices_);
    choicesLayout->setContentsMargins(0, 0, 0, 0);
    choicesLayout->addWidget(files, 0, 0);
    choicesLayout->addWidget(names, 0, 1);
    choicesLayout->addWidget(output, 1, 0, 1, 2);

    generate = Named(new QPushButton(QStringLiteral("&Generate")), "Generate");
    cancel = Named(new QPushButton(QStringLiteral("&Cancel")), "Cancel");
    progress = Named(new QProgressBar, "Progress");
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    entriesLine = Named(new QLabel, "EntriesLine");
    entriesLine->setMinimumWidth(150);
    progressLine = Named(new QLabel(FromUtf8(kCreditLine)), "ProgressLine");
    progressLine->setFont(DesignFont());
    progressLine_ = progressLine;
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(generate);
    runRow->addWidget(cancel);
    runRow->addWidget(progress, 1);
    runRow->addWidget(entriesLine);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addWidget(choices_);
    layout->addLayout(runRow);
    layout->addWidget(progressLine);

    // Tab follows the layout: the choices top to bottom, then the buttons.
    QWidget* order[] = {oneEntry, entries, entryCount, oneMegabyte, size,      sizeText, byYear, byMonth,  toICalendar,
                        byNumber, byDate,  byUid,      beside,      ownFolder, folder,   browse, generate, cancel};
    for (std::size_t at = 1; at < std::size(order); ++at)
        setTabOrder(order[at - 1], order[at]);
    for (QPushButton* button : {generate, cancel, browse})
        button->setAutoDefault(false);

    connect(generate, &QPushButton::clicked, this, [this] { form.Generate(); });
    connect(cancel, &QPushButton::clicked, this, [this] { form.Cancel(); });
    connect(browse, &QPushButton::clicked, this, [this] { form.Browse(); });
    // A change of files into or out of a period toggles one of these.
    for (QRadioButton* period : {byYear, byMonth})
        connect(period, &QRadioButton::toggled, this, [this] { form.FilesChanged(); });
    setAcceptDrops(true);
    form.Load();
    generate->setFocus();
}

StandaloneWindow::~StandaloneWindow() = default;

StandaloneChoices StandaloneWindow::Choices()
{
    StandaloneChoices choices;
    using Files = StandaloneChoices::Files;
    choices.files = entries->isChecked() ? Files::Entries
        : oneMegabyte->isChecked()       ? Files::OneMegabyte
        : size->isChecked()              ? Files::Size
        : byYear->isChecked()            ? Files::Year
        : byMonth->isChecked()           ? Files::Month
                                         : Files::OneEntry;
    choices.entries = entryCount->text().trimmed().toStdString();
    choices.size = sizeText->text().trimmed().toStdString();
    choices.naming = byDate->isChecked() ? FileNaming::Date : byUid->isChecked() ? FileNaming::Uid : FileNaming::Number;
    choices.toICalendar = toICalendar->isChecked();
    choices.ownFolder = ownFolder->isChecked();
    choices.folder = folder->text().toStdString();
    return choices;
}

void StandaloneWindow::ShowChoices(const StandaloneChoices& choices)
{
    using Files = StandaloneChoices::Files;
    const std::pair<Files, QRadioButton*> fileChoices[] = {
        {Files::OneEntry, oneEntry}, {Files::Entries, entries}, {Files::OneMegabyte, oneMegabyte},
        {Files::Size, size},         {Files::Year, byYear},     {Files::Month, byMonth}};
    for (const auto& [kind, button] : fileChoices)
        button->setChecked(choices.files == kind);
    entryCount->setText(FromUtf8(choices.entries));
    sizeText->setText(FromUtf8(choices.size));
    byNumber->setChecked(choices.naming == FileNaming::Number);
    byDate->setChecked(choices.naming == FileNaming::Date);
    byUid->setChecked(choices.naming == FileNaming::Uid);
    toICalendar->setChecked(choices.toICalendar);
    beside->setChecked(!choices.ownFolder);
    ownFolder->setChecked(choices.ownFolder);
    folder->setText(FromUtf8(choices.folder));
}

std::optional<std::string> StandaloneWindow::ShowFolderDialog(std::string_view title, const std::string& initialFolder)
{
    return FileDialog::ShowFolder(this, FromUtf8(title), initialFolder);
}

bool StandaloneWindow::AskYesNo(std::string_view text, std::string_view title)
{
    return MessageBox::Ask(this, BoxText(text), FromUtf8(title));
}

void StandaloneWindow::ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words)
{
    // The bar counts in thousandths: entries may outnumber what an int holds.
    progress->setRange(0, 1000);
    progress->setValue(total == 0 ? 0 : static_cast<int>(written * 1000 / total));
    entriesLine->setText(FromUtf8(words));
}

void StandaloneWindow::SetRunning(bool running)
{
    choices_->setEnabled(!running);
    generate->setEnabled(!running);
    if (!running)
        generate->setFocus();
}

void StandaloneWindow::ShowInstructions(std::string_view text)
{
    instructions->setText(FromUtf8(text));
}

void StandaloneWindow::EnableNames(bool enabled)
{
    names->setEnabled(enabled);
}

void StandaloneWindow::OnClose()
{
    form.Cancel();
}

// Enter starts (or presses the focused button), Esc cancels.
void StandaloneWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancel->animateClick();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused ? focused : generate)->animateClick();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void StandaloneWindow::OpenFile(const std::string& file)
{
    form.OpenFile(file);
}

}  // namespace orvelin::ui::qt
