// Update: replaces the main program's file after the main program has
// ended, then starts the new program. Its one argument is
// "<new program file>, <program file to replace>".
#include "ErrorBox.h"
#include "Update.h"

int main(int argc, char** argv)
{
    return vexar::updater::RunUpdate(argc, argv, vexar::updater::ShowErrorBox);
}
