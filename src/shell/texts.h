#pragma once

#include <QString>

// Every text the operator sees, in one place. Several carry meaningful blanks.
namespace texts {

// Main window
inline const QString rsAppTitle = QStringLiteral("Tavrix2 Home");
inline const QString rsHelpLine = QStringLiteral(
    "W-Increase Speed | S-Decrease Speed | Q-Pause | E-Reverse Direction | F-Reset | "
    "A-Load Prev. Script | D-Load Next Script");
inline const QString rsRightClickForMenu = QStringLiteral("Right click for menu.");
inline const QString rsSpeed = QStringLiteral("Speed ");
inline const QString rsCoarse = QStringLiteral("Coarse: ");
inline const QString rsPaused = QStringLiteral("Paused...");
inline const QString rsNoScript = QStringLiteral("No Script.");
inline const QString rsVersion = QStringLiteral("Tavrix version 2.0.0   ");
inline const QString rsSeparator = QStringLiteral("  |  ");
inline const QString rsElapsed = QStringLiteral("Elapsed: ");
inline const QString rsRemaining = QStringLiteral("Remaining: ");

// Pop-up menu
inline const QString rsOpenSingleScript = QStringLiteral("&Open Single Script");
inline const QString rsFont = QStringLiteral("Font");
inline const QString rsOptions = QStringLiteral("O&ptions and Multi-Scripting");
inline const QString rsQuickEdit = QStringLiteral("&Quick Edit Script");
inline const QString rsPrintScript = QStringLiteral("&Print Script");
inline const QString rsShowStatusBar = QStringLiteral("&Show Status Bar");
inline const QString rsAbout = QStringLiteral("About");
// Items after About: mirroring for prompter glass and the talent screen.
inline const QString rsMirrorLeftToRight = QStringLiteral("Mirror Left to Right");
inline const QString rsMirrorTopToBottom = QStringLiteral("Mirror Top to Bottom");
inline const QString rsTalentScreen = QStringLiteral("Talent Screen");
inline const QString rsTalentOff = QStringLiteral("Off");
inline const QString rsLargerText = QStringLiteral("Larger Text");
inline const QString rsSmallerText = QStringLiteral("Smaller Text");
inline const QString rsTalentWindowTitle = QStringLiteral("Tavrix Talent");
// A screen in the talent screen menu: its name, width and height.
inline const QString rsScreenItem = QStringLiteral("%1 (%2 x %3)");

// Button hints
inline const QString rsIncreaseSpeed = QStringLiteral("Increase Speed");
inline const QString rsDecreaseSpeed = QStringLiteral("Decrease Speed");
inline const QString rsCoarseFaster = QStringLiteral("Coarse Faster");
inline const QString rsCoarseSlower = QStringLiteral("Coarse Slower");
inline const QString rsPause = QStringLiteral("Pause");
inline const QString rsReverseDirection = QStringLiteral("Reverse Direction");
inline const QString rsReset = QStringLiteral("Reset");
inline const QString rsLoadPreviousScript = QStringLiteral("Load Previous Script");
inline const QString rsLoadNextScript = QStringLiteral("Load Next Script");
inline const QString rsToggleHelp = QStringLiteral("Toggle Help");

// File dialogs
inline const QString rsScriptFilter = QStringLiteral("Tavrix Readable|*.txt;*.rtf|All Files|*.*");
inline const QString rsQueueFilter = QStringLiteral("Tavrix Scripts|*.tvx");
inline const QString rsQueueExtension = QStringLiteral(".tvx");
inline const QString rsTextFilter = QStringLiteral("*.txt");
inline const QString rsTextExtension = QStringLiteral(".txt");

// Options and queue window
inline const QString rsOptionsCaption = QStringLiteral("Tavrix Options");
inline const QString rsQueue = QStringLiteral("Queue");
inline const QString rsPlacement = QStringLiteral("Tavrix Placement");
inline const QString rsAlignTop = QStringLiteral("Align Top");
inline const QString rsAlignBottom = QStringLiteral("Align Bottom");
inline const QString rsCapitalize = QStringLiteral("Capitalize Script");
inline const QString rsNo = QStringLiteral("No");
inline const QString rsYes = QStringLiteral("Yes");
inline const QString rsOk = QStringLiteral("Ok");
inline const QString rsCancel = QStringLiteral("Cancel");
inline const QString rsAddScript = QStringLiteral("Add Script");
inline const QString rsRemoveScript = QStringLiteral("Remove Script");
inline const QString rsLoadQueue = QStringLiteral("Load Queue");
inline const QString rsSaveQueue = QStringLiteral("Save Queue");
inline const QString rsNothingToSave = QStringLiteral("Nothing to save.");

// Quick edit window
inline const QString rsQuickEditCaption = QStringLiteral("Tavrix Quick Edit");
inline const QString rsQuickEditStatus = QStringLiteral("   Right click to copy and paste text.");
inline const QString rsFileMenu = QStringLiteral("&File");
inline const QString rsSaveAndExit = QStringLiteral("&Save and Exit");
inline const QString rsCancelEdit = QStringLiteral("&Cancel Edit");
inline const QString rsSaveBeforeClosing =
    QStringLiteral("You have edited this script.  Do you wish to save before closing?");

// About box
inline const QString rsAboutCaption = QStringLiteral("About Tavrix2");
inline const QString rsLatestVersion =
    QStringLiteral("The latest version of Tavrix can be found at");
inline const QString rsShortVersion = QStringLiteral("v2.0.0");
inline const QString rsHomePage = QStringLiteral("https://tavrix.example.org/");
inline const QString rsAboutNotice =
    QStringLiteral("Tavrix is free software. Read your lines, not your notes.");

// Online help
inline const QString rsHelpAddress = QStringLiteral("http://tavrix.example.org/help/");
inline const QString rsProbeAddress = QStringLiteral("http://example.com");
inline const QString rsNoInternet =
    QStringLiteral("Tavrix Help files are Internet based.\n\rNo Internet connection was detected.");

// Errors
inline const QString rsCannotOpenFile = QStringLiteral("Cannot open file \"%1\". %2");
inline const QString rsCannotCreateFile = QStringLiteral("Cannot create file \"%1\". %2");
inline const QString rsStreamWriteError = QStringLiteral("Stream write error");
inline const QString rsFailedToLoadStream = QStringLiteral("Failed to Load Stream");
inline const QString rsSystemError = QStringLiteral("System Error.  Code: %1.\r\n%2");
inline const QString rsOsCallFailed = QStringLiteral("A call to an OS function failed");
inline const QString rsNoPrimaryScreen =
    QStringLiteral("There is no screen to place the window on.");
inline const QString rsCannotPrint = QStringLiteral("Cannot print: %1");
inline const QString rsPrinterNotStarted = QStringLiteral("the printer could not be started");
inline const QString rsPrintNotFinished = QStringLiteral("the printer could not finish the job");
inline const QString rsPdfIncomplete =
    QStringLiteral("\"%1\" was not written completely (is the disk full?)");

inline const QString rsNotRegularFile = QStringLiteral("Not a regular file");
inline const QString rsFileTooLarge =
    QStringLiteral("The file is too large to show (%1 MB; the limit is %2 MB).");
inline const QString rsScriptTooLong =
    QStringLiteral("The script is too long to show (%1 lines; the limit is %2).");
inline const QString rsScriptTooBig =
    QStringLiteral("The script is too long to show (%1 characters; the limit is %2).");
// Scripts from the clipboard, from a drop and from the command line.
inline const QString rsPaste = QStringLiteral("Paste");
inline const QString rsPastedText = QStringLiteral("Pasted text");
inline const QString rsClipboardHasNoText = QStringLiteral("The clipboard holds no text to show.");
inline const QString rsNotALocalFile =
    QStringLiteral("Only files on this computer can be opened: %1");
// Word, OpenDocument and Markdown scripts.
inline const QString rsNotADocument =
    QStringLiteral("The file is not a Word (.docx) or OpenDocument (.odt) text document.");
inline const QString rsDocumentOldOrLocked =
    QStringLiteral("The file is an older Word document (.doc) or protected by a password. Save "
                   "it as .docx or .odt without a password and open it again.");
inline const QString rsDocumentEncrypted = QStringLiteral(
    "The document is protected by a password. Save it without one and open it again.");
inline const QString rsDocumentTooLarge =
    QStringLiteral("The document's text is too large to read (more than %1 MB unpacked).");
inline const QString rsDocumentUnreadable = QStringLiteral("The document cannot be read: %1.");
inline const QString rsDocumentMalformed =
    QStringLiteral("The document's text cannot be read: %1 (line %2).");
inline const QString rsQueueTooLong =
    QStringLiteral("The queue is too long to load (%1 items; the limit is %2).");
inline const QString rsQueueLineTooLong =
    QStringLiteral("Line %1 is longer than a path can be (more than %2 bytes).");
inline const QString rsUnableToCreateKey = QStringLiteral("Unable to create key '%1'");
inline const QString rsUnableToOpenKeyForWrite =
    QStringLiteral("Unable to open key \"%1\" for write");
inline const QString rsInvalidProperty = QStringLiteral("Invalid property element: %1");
inline const QString rsScriptEndsAtNul = QStringLiteral(
    "The script ends at a NUL character in \"%1\"; saving over that file would drop the "
    "rest of it. Save the script under another name.");
inline const QString rsCannotReserveSpace =
    QStringLiteral("Cannot write \"%1\" in place: %2. The file was not changed.");
inline const QString rsRecoveredText = QStringLiteral(
    "Tavrix was stopped while Quick Edit held unsaved text. The text was kept in:\n%1");
inline const QString rsSettingsUnreadable =
    QStringLiteral("The settings cannot be read; the defaults are used and the settings are "
                   "not saved.\n%1");
inline const QString rsSettingsNotSaved = QStringLiteral("The settings were not saved. %1");

// Pages the view makes itself
inline const QString rsPageCannotBeShown = QStringLiteral("This page cannot be shown");
inline const QString rsAddressNotSupported = QStringLiteral("The address is not supported.");

// Following the speaker's voice
inline const QString rsFollowMyVoice = QStringLiteral("Follow My Voice");
inline const QString rsFollowing = QStringLiteral("Following");
inline const QString rsNoMicrophone =
    QStringLiteral("No microphone was found. Connect one and choose Follow My Voice again.");
inline const QString rsNoSpeechModel = QStringLiteral(
    "The English speech model is not installed (package pocketsphinx-en-us), so the prompter "
    "cannot follow your voice.");
inline const QString rsNothingToFollow =
    QStringLiteral("The script has no words the English speech model knows, so there is nothing "
                   "to follow.");
inline const QString rsMicrophoneLost =
    QStringLiteral("The microphone stopped delivering sound; following is off.");

} // namespace texts
