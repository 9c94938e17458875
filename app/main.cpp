#include "app/EditorApp.h"

int main(int argc, char** argv)
{
    return CEditorApp::Main(argc, argv);
}
