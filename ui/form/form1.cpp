#include "ui/form/form1.h"

namespace orvelin::ui {

Form1::Form1(Toolkit& toolkit, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager)
    : CommonDialog1(toolkit), toolkit_(toolkit), runner_(toolkit, std::move(createFileSystem), fileManager)
{
}

void Form1::Form_Load()
{
    toolkit_.SetProgressVisible(true);
}

void Form1::Command1_Click()
{
    // A click that arrives while a run pumps events would start a second run
    // over the first one's state: it is ignored.
    if (runner_.busy())
        return;
    CommonDialog1.setFilter("VCalendar|*.vcs");
    CommonDialog1.setDialogTitle("Browse and select the VCalendar file");
    CommonDialog1.setFlags(CommonDialog::kFileMustExist);
    CommonDialog1.ShowOpen();
    runner_.Run(CommonDialog1, {});
}

void Form1::Command2_Click()
{
    runner_.EndProgram(0);
}

void Form1::Form_Unload()
{
    runner_.EndProgram(0);
}

void Form1::OpenFile(const std::string& file)
{
    if (runner_.Take(file, CommonDialog1))
        runner_.Run(CommonDialog1, {});
}

}  // namespace orvelin::ui
