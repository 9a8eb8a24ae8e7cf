; Setup of Quillmere: compare.exe, the context-menu extension pairlaunch.dll
; and the manual, with a Start menu folder, an entry in the list of installed
; programs and an uninstaller. Built by installer/CMakeLists.txt:
;
;   makensis -DARCH=x86|x64 -DCOMPARE_EXE=... -DDLL32=... -DDLL64=...
;            -DMANUAL=... -DVERSION_H=... -DOUTFILE=... quillmere.nsi
;
; ARCH x86 makes a 32-bit setup that runs everywhere and registers the
; extension of the system's own width (a 64-bit desktop loads only 64-bit
; extensions); ARCH x64 makes a 64-bit setup with 64-bit files only (DLL32
; is then not needed). "/S" installs and uninstalls silently.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x86 or x64"
!endif

!include "LogicLib.nsh"
!include "x64.nsh"

; The version as the one version header states it.
!searchparse /file "${VERSION_H}" '#define QM_VERSION_TEXT "' VERSION_TEXT '"'
!searchparse /file "${VERSION_H}" '#define QM_VERSION_MAJOR ' VERSION_MAJOR
!searchparse /file "${VERSION_H}" '#define QM_VERSION_MINOR ' VERSION_MINOR
!searchparse /file "${VERSION_H}" '#define QM_VERSION_PATCH ' VERSION_PATCH
!searchparse /file "${VERSION_H}" '#define QM_VERSION_BUILD ' VERSION_BUILD
!searchparse /file "${VERSION_H}" '#define QM_COPYRIGHT "' COPYRIGHT '"'
; The header writes the copyright sign as a windres octal escape.
!searchreplace COPYRIGHT "${COPYRIGHT}" "\251" "©"

!define PRODUCT "Quillmere"
!define COMPANY "Ambervale"
!define PRODUCT_KEY "Software\Ambervale\Quillmere"
!define COMPANY_KEY "Software\Ambervale"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmere"
!define MENU_FOLDER "$SMPROGRAMS\Quillmere"

Name "${PRODUCT} ${VERSION_TEXT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Quillmere"
!else
  InstallDir "$PROGRAMFILES\Quillmere"
!endif

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.${VERSION_BUILD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; "InstallDir" in the registry views that the installed programs read: on a
; 64-bit system the 64-bit extension reads the 64-bit view and a 32-bit
; compare.exe the 32-bit one, so both get it there.
!macro ForEachView MACRO
  ${If} ${RunningX64}
    SetRegView 64
    !insertmacro ${MACRO}
    SetRegView 32
    !insertmacro ${MACRO}
  ${Else}
    !insertmacro ${MACRO}
  ${EndIf}
  SetRegView default
!macroend

!macro WriteInstallDir
  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
!macroend

!macro RemoveInstallDir
  DeleteRegValue HKLM "${PRODUCT_KEY}" "InstallDir"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
!macroend

; The entry of the list of installed programs, in the view of this setup's
; own width, where that list looks for it.
!macro UseSetupView
  !if "${ARCH}" == "x64"
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

; Runs the system's regsvr32 of the extension's width on the installed DLL;
; $0 is its exit code.
!macro RunRegsvr32 OPTIONS
  ${DisableX64FSRedirection}
  ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTIONS} "$INSTDIR\pairlaunch.dll"' $0
  ${EnableX64FSRedirection}
!macroend

Function .onInit
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "This setup is for 64-bit Windows." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  !endif
FunctionEnd

Section "Quillmere"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; The uninstaller first: whatever fails later, the user can remove what
  ; was put in place.
  WriteUninstaller "$INSTDIR\uninstall.exe"
  File "/oname=compare.exe" "${COMPARE_EXE}"
  File "/oname=manual.chm" "${MANUAL}"
  !if "${ARCH}" == "x64"
    File "/oname=pairlaunch.dll" "${DLL64}"
  !else
    ${If} ${RunningX64}
      File "/oname=pairlaunch.dll" "${DLL64}"
    ${Else}
      File "/oname=pairlaunch.dll" "${DLL32}"
    ${EndIf}
  !endif

  !insertmacro ForEachView WriteInstallDir

  !insertmacro UseSetupView
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\compare.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetRegView default

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Quillmere.lnk" "$INSTDIR\compare.exe"
  CreateShortcut "${MENU_FOLDER}\Quillmere User's Manual.lnk" "$INSTDIR\manual.chm"

  !insertmacro RunRegsvr32 ""
  ${If} $0 != 0
    DetailPrint "regsvr32 failed with code $0"
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "The Compare... command could not be added to the context menu (regsvr32 ended with code $0).$\r$\nQuillmere itself is installed." \
      /SD IDOK
    SetErrorLevel 3
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ${If} ${FileExists} "$INSTDIR\pairlaunch.dll"
    !insertmacro RunRegsvr32 "/u"
  ${EndIf}

  ; A desktop that still has the extension loaded keeps the DLL until it
  ; restarts.
  Delete /REBOOTOK "$INSTDIR\pairlaunch.dll"
  Delete "$INSTDIR\compare.exe"
  Delete "$INSTDIR\manual.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  Delete "${MENU_FOLDER}\Quillmere.lnk"
  Delete "${MENU_FOLDER}\Quillmere User's Manual.lnk"
  RMDir "${MENU_FOLDER}"

  ; The machine's keys go; the user's settings under HKCU stay.
  !insertmacro ForEachView RemoveInstallDir
  !insertmacro UseSetupView
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView default
SectionEnd
