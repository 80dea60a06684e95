// Our application framework on raw Win32: include this one header.
//
//   Class                              Header
//   CWinApp, AfxMessageBox, profile    FwApp.h          application object, message loop, document manager
//   CDocument                          FwDocument.h
//   CDocTemplate, CMultiDocTemplate    FwDocTemplate.h  document + frame + view from one resource id
//   CView                              FwView.h
//   CFrameWnd, CMDIFrameWnd,           FwFrame.h        frames, MDI, floating tool frames
//     CMDIChildWnd, CMiniFrameWnd
//   CControlBar, CToolBar,             FwControlBar.h   bars along a frame's edges
//     CStatusBar, CDialogBar
//   CDialog, CDataExchange, DDX_/DDV_  FwDialog.h       modal and modeless dialogs, data exchange
//   CPropertySheet, CPropertyPage      FwPropertySheet.h
//   CFileDialog                        FwFileDialog.h   open/save dialogs with hook and template
//   CRecentFileList                    FwRecentFileList.h
//   CCommandLineInfo                   FwCommandLineInfo.h  (CWinApp::ParseCommandLine, ProcessShellCommand)
//   CButton, CEdit, CComboBox, ...     FwControls.h     thin control wrappers (also CListCtrl, CTabCtrl,
//                                                       CScrollBar, CProgressCtrl, CSliderCtrl, CToolTipCtrl)
//   CBrush, CPen, CFont, CBitmap       FwGdiObjects.h   GDI objects that delete their handle
//   CWnd, ON_WM_ macros                FwWnd.h          window objects, the one window procedure
//   CCmdTarget, CCmdUI, message maps   FwCmdTarget.h    routing and command-UI; interface maps (COM
//                                                       interfaces embedded in a dialog or window)
//   CRecordingCmdUI                    FwRecordingCmdUI.h  a CCmdUI that records enable, check,
//                                                       radio and text (asks update handlers without a menu)
//   CObject, CRuntimeClass             FwObject.h       dynamic creation
//   CString / CRect CPoint CSize / CDC FwString.h / FwTypes.h / FwDC.h
//   CFile                              FwFile.h         (CDocument::GetFile, ReleaseFile)
//   CObArray, CMapStringToPtr          FwCollections.h
//   CWinThread, AfxBeginThread         FwThread.h       worker threads
//   standard ids (ID_FILE_NEW, ...)    FwResource.h     (also for .rc files)
//
// Usage in short:
//   class CMyApp : public CWinApp {
//       BOOL InitInstance() override {
//           SetRegistryKey("Maker");                      // HKCU\Software\Maker\<app name>
//           LoadStdProfileSettings(6);                    // recent files
//           AddDocTemplate(new CMultiDocTemplate(IDR_DOC, RUNTIME_CLASS(CMyDoc),
//                                                RUNTIME_CLASS(CMyChild), RUNTIME_CLASS(CMyView)));
//           auto* frame = new CMyMainFrame;               // a CMDIFrameWnd
//           if (!frame->LoadFrame(IDR_MAINFRAME)) return FALSE;
//           m_pMainWnd = frame;
//           frame->ShowWindow(m_nCmdShow);
//           return TRUE;
//       }
//   };
// Commands go from the menu to the main frame, which routes them: active child frame ->
// its active view -> the view's document (-> its template) -> the child frame -> the main
// frame -> the application. Update handlers (ON_UPDATE_COMMAND_UI) run on the same chain when a
// menu opens (WM_INITMENUPOPUP) and, for tool-bar buttons and status-bar panes, at idle time.
// Frames, views and documents delete themselves when their window or last view goes (a frame or
// view whose window cannot be created is deleted too: never delete it after a failed Create);
// dialogs and bars are owned by whoever declares them.
#pragma once
#include "FwApp.h"
#include "FwCollections.h"
#include "FwControlBar.h"
#include "FwControls.h"
#include "FwDialog.h"
#include "FwDocTemplate.h"
#include "FwDocument.h"
#include "FwFile.h"
#include "FwFileDialog.h"
#include "FwFrame.h"
#include "FwGdiObjects.h"
#include "FwPropertySheet.h"
#include "FwRecordingCmdUI.h"
#include "FwRecentFileList.h"
#include "FwThread.h"
#include "FwView.h"
