#pragma once

// Names of the registry keys and values that make up a file association, and
// the words used for them in titles, questions and undo descriptions. Lookups
// ignore letter case; the case here is what the program writes when it
// creates something.
namespace zanver {

// Value names on a file type key.
inline constexpr char kAlwaysShowExt[] = "AlwaysShowExt";
inline constexpr char kNeverShowExt[] = "NeverShowExt";
inline constexpr char kEditFlags[] = "EditFlags";

// The program's settings key below HKEY_CURRENT_USER; the per-run backups of
// deleted keys live below the same path in HKEY_LOCAL_MACHINE.
inline constexpr char kSettingsKey[] = "Software\\KQ\\Zanver";
// Below the settings key.
inline constexpr char kOptionsValue[] = "Options";
inline constexpr char kRegisterEditorValue[] = "RegisterEditor";
inline constexpr char kExcludedKeys[] = "ExcludedKeys";
inline constexpr char kExcludedKeysCombo[] = "ExcludedKeysCombo";

// The per-user extension key below HKEY_CURRENT_USER (followed by the
// extension) and its value naming the application that overrides the type.
inline constexpr char kFileExtsPrefix[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
inline constexpr char kApplicationValue[] = "Application";
// Below HKEY_CLASSES_ROOT: a registered application, followed by its file name.
inline constexpr char kApplicationsPrefix[] = "Applications\\";

// Classes: the subkey of a file type naming its class, the top key of all
// classes, and the key of one class (followed by its identifier).
inline constexpr char kClsid[] = "CLSID";
inline constexpr char kClsidPrefix[] = "CLSID\\";
// Server kinds below a class key that make the class usable.
inline constexpr char kInProcHandler[] = "InProcHandler";
inline constexpr char kInProcServer[] = "InProcServer";
inline constexpr char kInProcServer32[] = "InProcServer32";
inline constexpr char kLocalServer[] = "LocalServer";
inline constexpr char kProgId[] = "ProgID";

// Shell verbs of a file type.
inline constexpr char kShell[] = "Shell";
inline constexpr char kCommand[] = "command";
inline constexpr char kDdeExec[] = "ddeexec";
inline constexpr char kOpenVerb[] = "open";
inline constexpr char kDefaultIcon[] = "DefaultIcon";

// On an extension key.
inline constexpr char kContentType[] = "Content Type";
inline constexpr char kShellNew[] = "ShellNew";
inline constexpr char kFileNameValue[] = "FileName";
inline constexpr char kNullFile[] = "NullFile";

// The file type of an extension that names none.
inline constexpr char kUnknownFileType[] = "Unknown";

// Words for titles, questions and undo descriptions.
inline constexpr char kWordClass[] = "class";
inline constexpr char kWordDescription[] = "description";
inline constexpr char kWordExtension[] = "extension";
inline constexpr char kWordFileType[] = "file type";

}  // namespace zanver
