#include "formats/FileTypes.h"

#include <algorithm>
#include <cctype>

#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"

namespace {

constexpr FileTypeInfo kFileTypes[] = {
    {FileType::Kl, "kl", ".kl", true, true, "Kelvane Format (*.kl)|*.kl",
     "Kelvane Format (*.kl)|*.kl", "a Kelvane tileset file", kNativeWriteCharError},
    {FileType::Dib, "dib", ".dib .bmp", true, true, "DIB Format (*.dib)|*.dib",
     "DIB Format (*.dib)|*.dib", "a bitmap, through the DIB import and its options",
     kDibWritePixelsError},
    {FileType::Rom, "rom", ".vb .bin .obj", true, false, "VB ROM image|*.vb;*.bin;*.obj", nullptr,
     "a ROM image, through the ROM import and its options", nullptr},
    {FileType::Bin, "bin", ".bin", false, true, nullptr, nullptr, nullptr, nullptr},
    {FileType::C, "c", ".c", false, true, nullptr, nullptr, nullptr, nullptr},
    {FileType::Asm, "asm", ".asm", false, true, nullptr, "ASM Char Map (*.asm)|*.asm", nullptr,
     kAsmWriteLineError},
    {FileType::Png, "png", ".png", true, true, nullptr, nullptr,
     "a PNG picture, into the tileset as kelvane-convert reads it", nullptr},
};

// The type that the editor takes for a name it does not know, and lists first.
constexpr const FileTypeInfo& kEditorDefault = kFileTypes[0];

const char* DialogEntry(const FileTypeInfo& t, bool open)
{
    return open ? t.openFilter : t.saveFilter;
}

// True when the space-separated list holds ext (with its full stop).
bool ListHolds(const char* list, const std::string& ext)
{
    return ext.size() > 1 &&
           (std::string(" ") + list + " ").find(" " + ext + " ") != std::string::npos;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

const FileTypeInfo& FileTypeOf(FileType type)
{
    for (const FileTypeInfo& t : kFileTypes)
        if (t.type == type)
            return t;
    return kEditorDefault;
}

const FileTypeInfo* FileTypeNamed(const std::string& name)
{
    for (const FileTypeInfo& t : kFileTypes)
        if (name == t.name)
            return &t;
    return nullptr;
}

const char* TypeExtensions(FileType type)
{
    return type == FileType::None ? "" : FileTypeOf(type).extensions;
}

std::string TypeNames(bool input)
{
    std::string names, last;
    for (const FileTypeInfo& t : kFileTypes) {
        if (!(input ? t.input : t.output))
            continue;
        if (!last.empty())
            names += (names.empty() ? "" : ", ") + last;
        last = t.name;
    }
    return names.empty() ? last : names + " or " + last;
}

FileType TypeOfExtension(std::string ext, bool input)
{
    ext = Lower(ext);
    for (const FileTypeInfo& t : kFileTypes)
        if ((input ? t.input : t.output) && ListHolds(t.extensions, ext))
            return t.type;
    return FileType::None;
}

std::string DialogFilter(bool open)
{
    std::string filter;
    for (const FileTypeInfo& t : kFileTypes)
        if (const char* entry = DialogEntry(t, open))
            filter += std::string(entry) + "|";
    return filter + "|";
}

FileType DialogType(bool open, int position)
{
    int at = 0;
    for (const FileTypeInfo& t : kFileTypes)
        if (DialogEntry(t, open) && ++at == position)
            return t.type;
    return kEditorDefault.type;
}

FileType EditorTypeOfExtension(const std::string& ext)
{
    const std::string lower = Lower(ext);
    for (const FileTypeInfo& t : kFileTypes)
        if (t.help && ListHolds(t.extensions, lower))
            return t.type;
    return kEditorDefault.type;
}

std::string EditorTypesHelp()
{
    // The other types first, each padded to a column; the default last, for
    // every name the others do not take.
    const auto line = [](std::string names, const char* help) {
        names.resize(std::max<std::size_t>(names.size(), 17), ' ');
        return "  " + names + help + "\n";
    };
    std::string lines;
    for (const FileTypeInfo& t : kFileTypes)
        if (t.help && &t != &kEditorDefault)
            lines += line(t.extensions, t.help);
    return lines +
           line(std::string(kEditorDefault.extensions) + " and others", kEditorDefault.help);
}
