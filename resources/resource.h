// Identifiers of the resources in Quenora.rc, shared with the code.
#pragma once

#define IDI_APP 1
#define IDI_PAGE_DRIVES 101
#define IDI_PAGE_INTERVAL 102
#define IDI_PAGE_ALARM 103
#define IDI_PAGE_AUTOSTART 104
#define IDI_DRIVE_SMALL 110
#define IDI_EMBLEM 111
#define IDC_HAND_POINTER 120
#define IDB_START_BANNER 130
#define IDB_ABOUT_BANNER 131
