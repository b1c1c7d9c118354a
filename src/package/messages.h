// The installer's own messages, exactly as the user sees them.
#pragma once

#include <string_view>

namespace messages {

inline constexpr std::u16string_view kExtractFailed =
    u"Failed to extract the data, extracting process aborted!";
inline constexpr std::u16string_view kCreateTempFailed =
    u"Failed to create temporary data file, extracting process aborted!";
inline constexpr std::u16string_view kMissingDataFile =
    u"Error 5, Missing 'data.vqm' file in temporrary space";
inline constexpr std::u16string_view kNotInstalled = u"Error 4, the templates were not installed";
// Followed by the staging path.
inline constexpr std::u16string_view kCannotOpen = u"Error\nCannot open file (Permissions?):\n";
inline constexpr std::u16string_view kNotAnArchive = u"Error\nFile is not a QIB Archive file!";
inline constexpr std::u16string_view kDocumentDirectory =
    u"Error\nCannot install template.\nDo you have permission to write to the Document Directory?";
inline constexpr std::u16string_view kFilesDirectory =
    u"Error\nCannot install template.\nDo you have permission to write to the Files Directory?\n"
    u"(For Vista/W7 you need to set the QIB to 'Run as Administrator')";
// "File Exist\nThe file '" + name + "' already exist.\nContinue Overwriting the template?"
inline constexpr std::u16string_view kOverwriteBefore = u"File Exist\nThe file '";
inline constexpr std::u16string_view kOverwriteAfter =
    u"' already exist.\nContinue Overwriting the template?";
inline constexpr std::u16string_view kInstalled =
    u"Premium template were installed.\r\nIf QIB is currenty running, you need to close it and "
    u"start it again.";
// Followed by the refused name or subfolder text.
inline constexpr std::u16string_view kUnsafeName =
    u"Error\nCannot install template.\nThe package holds an unsafe file name:\n";
inline constexpr std::u16string_view kUnsafeSubfolder =
    u"Error\nCannot install template.\nThe subfolder must stay inside the objectpacks folder:\n";

}  // namespace messages
