#ifndef BRINDLEMARK_UI_RESOURCE_H
#define BRINDLEMARK_UI_RESOURCE_H

// Dialog template and control identifiers of the main dialog. Included by
// the resource script and the dialog procedure.

#define IDD_MAIN 101

#define IDC_LOG 1000
#define IDC_LEGEND_SONG 1001
#define IDC_LEGEND_GAME 1002
#define IDC_LEGEND_ARTIST 1003
#define IDC_LEGEND_OST_TITLE 1004
#define IDC_LEGEND_DISC 1005
#define IDC_LEGEND_TRACK 1006
#define IDC_FORMAT 1007
#define IDC_CREDIT 1008

#endif
