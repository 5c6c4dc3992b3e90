#include "platform/file_chooser.h"

namespace platform {

namespace {
NoFileChooser no_file_chooser;
FileChooser* current_chooser = &no_file_chooser;
}  // namespace

FileChooser& file_chooser() { return *current_chooser; }

void set_file_chooser(FileChooser* replacement)
{
    current_chooser = replacement ? replacement : &no_file_chooser;
}

}  // namespace platform
