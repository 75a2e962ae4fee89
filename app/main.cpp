#include "app/ui/CPageCountApp.h"

int main(int argc, char** argv)
{
    CPageCountApp app(argc, argv);
    return app.InitInstance() ? app.exec() : 0;
}
