// What a click on a link label does, decided by the label text alone.
#ifndef MERROWIND_LINK_ACTION_H
#define MERROWIND_LINK_ACTION_H

// The labels with an action of their own, as the dialog templates carry them.
extern const char kHomeLinkLabel[];
extern const char kSettingsLinkLabel[];

enum LinkAction {
    kLinkOpensHomePage,   // the maker's home page, through the shell
    kLinkOpensSettings,   // the settings dialog, owned by the link's dialog
    kLinkOpensLabel,      // the label itself (an address or a document), through the shell
};

// Exact, case-sensitive: "Settings" is a document name, not the settings link.
LinkAction LinkActionForLabel(const char* label);

#endif
