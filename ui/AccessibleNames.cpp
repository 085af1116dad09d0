// TForm1: what assistive technology (a screen reader, through AT-SPI) calls
// each control. The skin paints the captions of the fields and the words of
// the image buttons into its pictures, where a screen reader can't read
// them; every control the keyboard reaches gets a name here, and those
// without a tool tip of the design a description. A tool tip is itself the
// description where there is one.
#include "Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>

namespace vorpane {

namespace {

const char* const kContext = "vorpane::TForm1";

} // namespace

void TForm1::NameControls() {
    const struct {
        QWidget* Control;
        const char* Name;
        const char* Description; // nullptr: the tool tip, if any
    } controls[] = {
        {ShellTreeView1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Folders"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "The folder whose JPEG files the file list shows")},
        {ShellListView1->IconView(), QT_TRANSLATE_NOOP("vorpane::TForm1", "Files"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "The JPEG files of the chosen folder")},
        {ShellListView1->ReportView(), QT_TRANSLATE_NOOP("vorpane::TForm1", "Files"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "The JPEG files of the chosen folder")},
        {TabLists, QT_TRANSLATE_NOOP("vorpane::TForm1", "List"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Show the files as a list")},
        {TabBig, QT_TRANSLATE_NOOP("vorpane::TForm1", "Large icons"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Show the files as large icons")},
        {TabSmall, QT_TRANSLATE_NOOP("vorpane::TForm1", "Small icons"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Show the files as small icons")},
        {TabDetails, QT_TRANSLATE_NOOP("vorpane::TForm1", "Details"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Show the files with their details")},
        {Image7, QT_TRANSLATE_NOOP("vorpane::TForm1", "Preview"), nullptr},
        {ListView1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Conversion list"),
         QT_TRANSLATE_NOOP("vorpane::TForm1",
                           "The photographs to convert, one page each, from the top")},
        {ImgBtnAdd, QT_TRANSLATE_NOOP("vorpane::TForm1", "Add"), nullptr},
        {ImgBtnAdds, QT_TRANSLATE_NOOP("vorpane::TForm1", "Add all"), nullptr},
        {ImgBtnDel, QT_TRANSLATE_NOOP("vorpane::TForm1", "Remove"), nullptr},
        {ImgBtnDels, QT_TRANSLATE_NOOP("vorpane::TForm1", "Remove all"), nullptr},
        {ImgBtnName, QT_TRANSLATE_NOOP("vorpane::TForm1", "Sort by name"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Sort the conversion list by file name")},
        {ImgBtnPath, QT_TRANSLATE_NOOP("vorpane::TForm1", "Sort by folder"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Sort the conversion list by folder")},
        {ImgBtnUp, QT_TRANSLATE_NOOP("vorpane::TForm1", "Move up"), nullptr},
        {ImgBtnDown, QT_TRANSLATE_NOOP("vorpane::TForm1", "Move down"), nullptr},
        {ComboBox2, QT_TRANSLATE_NOOP("vorpane::TForm1", "Size mode"), nullptr},
        // The box's text field is a control of its own to AT-SPI.
        {ComboBox2->lineEdit(), QT_TRANSLATE_NOOP("vorpane::TForm1", "Size mode"), nullptr},
        {ImgBtnDropDown, QT_TRANSLATE_NOOP("vorpane::TForm1", "Size modes"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Open the list of size modes")},
        {Edit1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Width"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Page width in pixels; 0 follows the height")},
        {Edit2, QT_TRANSLATE_NOOP("vorpane::TForm1", "Height"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Page height in pixels; 0 follows the width")},
        {Edit3, QT_TRANSLATE_NOOP("vorpane::TForm1", "Quality"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "JPEG quality, 1 to 100")},
        {ImgBtnWidth1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Width up"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the width up")},
        {ImgBtnWidth2, QT_TRANSLATE_NOOP("vorpane::TForm1", "Width down"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the width down")},
        {ImgBtnHeight1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Height up"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the height up")},
        {ImgBtnHeight2, QT_TRANSLATE_NOOP("vorpane::TForm1", "Height down"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the height down")},
        {ImgBtnQ1, QT_TRANSLATE_NOOP("vorpane::TForm1", "Quality up"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the quality up")},
        {ImgBtnQ2, QT_TRANSLATE_NOOP("vorpane::TForm1", "Quality down"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Count the quality down")},
        {ImgBtnOptions, QT_TRANSLATE_NOOP("vorpane::TForm1", "Page and photo options"), nullptr},
        {ImgBtnConvert, QT_TRANSLATE_NOOP("vorpane::TForm1", "Convert"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Convert the conversion list into one PDF document")},
        {ImgBtnStop, QT_TRANSLATE_NOOP("vorpane::TForm1", "Stop"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Stop the conversion")},
        {ImgBtnHome, QT_TRANSLATE_NOOP("vorpane::TForm1", "Homepage"), nullptr},
        {ImgBtnHelp, QT_TRANSLATE_NOOP("vorpane::TForm1", "Help"), nullptr},
        {ImgBtnMin, QT_TRANSLATE_NOOP("vorpane::TForm1", "Minimise"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Minimise the window")},
        {ImgBtnClose, QT_TRANSLATE_NOOP("vorpane::TForm1", "Close"),
         QT_TRANSLATE_NOOP("vorpane::TForm1", "Close Vorpane")},
    };
    for (const auto& control : controls) {
        control.Control->setAccessibleName(QCoreApplication::translate(kContext, control.Name));
        if (control.Description != nullptr) {
            control.Control->setAccessibleDescription(
                QCoreApplication::translate(kContext, control.Description));
        }
    }
}

} // namespace vorpane
