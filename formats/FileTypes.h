#pragma once

#include <string>

// The file types that the editor and the converter read and write, each
// known in one row of one table (FileTypes.cpp): its name, its extensions,
// its entries in the editor's Open and Save dialogs, and the message its
// writer gives for its last bytes. The editor's dialogs list the types in
// the table's order; a type's position in a dialog (from 1, as the dialog
// reports the type chosen) is its place among the types that dialog lists.

enum class FileType
{
    None,
    Kl,
    Dib,
    Rom,
    Bin,
    Asm,
    C,
    Png
};

struct FileTypeInfo
{
    FileType type;
    const char* name;            // the converter's --from/--to name
    const char* extensions;      // space-separated, each with its full stop; the
                                 // first is added to a name saved without one
    bool input;                  // the converter reads it
    bool output;                 // the converter writes it
    const char* openFilter;      // the Open dialog's entry "text|patterns", or null
    const char* saveFilter;      // the Save dialog's entry, or null
    const char* help;            // what `kelvane FILE` does with it, or null
    const char* lastWriteError;  // the writer's message for its last bytes
};

// The row of a type (the Kelvane tileset file's for None).
const FileTypeInfo& FileTypeOf(FileType type);
// The row of a converter type name ("kl", "dib" ...), or null.
const FileTypeInfo* FileTypeNamed(const std::string& name);
// The extensions of a type, for messages.
const char* TypeExtensions(FileType type);
// The names of the converter's input (input true) or output types, for
// messages: "kl, dib, rom or png".
std::string TypeNames(bool input);

// The type that an extension (with its full stop, any case) names among
// the converter's input types (input true) or output types, or None.
FileType TypeOfExtension(std::string ext, bool input);

// The editor's Open (open true) and Save dialogs: the filter string
// ("text|patterns|...||"), the type at a position (from 1; the Kelvane
// tileset file for any other), and the type that an extension names among
// the Open dialog's types (the Kelvane tileset file for any other). Every
// file the editor opens by name (`kelvane FILE`, a drop) takes that type.
std::string DialogFilter(bool open);
FileType DialogType(bool open, int position);
FileType EditorTypeOfExtension(const std::string& ext);
// The lines of `kelvane --help` that tell the type each extension opens as.
std::string EditorTypesHelp();
