// Identifiers of the dialogs and their controls, shared by the resource scripts and the code.
#pragma once

// Toolbar list
#define IDD_TOOLBAR_LIST 201
#define IDC_TOOLBAR_LIST 201
#define IDC_TOOLBAR_INTRO 1201

// Flash verification page
#define IDD_FLASH_CHECK 202
#define IDC_FLASH_BROWSER 202
#define IDC_FLASH_PROMPT 1202

// Property page of the control (a placeholder text only)
#define IDD_PROPPAGE 200
#define IDC_PROPPAGE_TEXT 1200

// Download progress
#define IDD_DOWNLOAD 204
#define IDC_DOWNLOAD_PROGRESS 203
#define IDC_DOWNLOAD_LABEL 204
#define IDC_DOWNLOAD_CANCEL 206
