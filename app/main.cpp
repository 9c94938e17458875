#include "app/EditorApp.h"

int main(int argc, char** argv)
{
    return kelvane::CEditorApp::Main(argc, argv);
}
