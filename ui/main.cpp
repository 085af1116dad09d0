// vorpane: the window program.
#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    vorpane::TApplication application(argc, argv);
    vorpane::TApplication::InstallEngineHooks();
    int result = 0;
    {
        vorpane::TForm1 form;
        form.show();
        result = application.exec();
    }
    vorpane::TApplication::RemoveEngineHooks();
    return result;
}
