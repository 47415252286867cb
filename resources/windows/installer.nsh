; What the installer does beyond CPack's own script: the data root, which
; belongs to the administrator once made, and a complete uninstall entry.
; QUORVELO_DATA_ROOT (C:\Quorvelo) and QUORVELO_UNINSTALL_KEY are defined
; before this file is included.

!include LogicLib.nsh
!include FileFunc.nsh

; The samples go into the data root only where a picture is missing: a
; reinstall or an upgrade keeps the administrator's own.
!macro QuorveloCopyPictureIfMissing NAME
  ${IfNot} ${FileExists} "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
    CopyFiles /SILENT "$INSTDIR\IMAGEM\${NAME}" "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
  ${EndIf}
!macroend

; Run at the end of the installation, after CPack's registry values.
!macro QuorveloInstallData
  ; The tool never creates its folders, so installing does.
  CreateDirectory "${QUORVELO_DATA_ROOT}\Dados"
  CreateDirectory "${QUORVELO_DATA_ROOT}\IMAGEM"
  !insertmacro QuorveloCopyPictureIfMissing OK.JPG
  !insertmacro QuorveloCopyPictureIfMissing NAOOK.JPG
  ; Apps & Features reads these as numbers: the size in KiB of what now
  ; lies in the installation folder, the uninstaller included, and no
  ; Modify or Repair buttons (CPack writes the two flags as text).
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${QUORVELO_UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${QUORVELO_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${QUORVELO_UNINSTALL_KEY}" "NoRepair" 1
!macroend

; $R2 := 1 when the files $R0 and $R1 hold the same bytes, else 0.
Function un.QuorveloSameBytes
  StrCpy $R2 0
  ClearErrors
  FileOpen $R3 $R0 r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileOpen $R4 $R1 r
  ${If} ${Errors}
    FileClose $R3
    Return
  ${EndIf}
  FileSeek $R3 0 END $R5
  FileSeek $R4 0 END $R6
  ${If} $R5 == $R6
    FileSeek $R3 0 SET
    FileSeek $R4 0 SET
    StrCpy $R2 1
    ${Do}
      ClearErrors
      FileReadByte $R3 $R5
      ${If} ${Errors}
        ${Break}
      ${EndIf}
      FileReadByte $R4 $R6
      ${If} $R5 != $R6
        StrCpy $R2 0
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}
  FileClose $R4
  FileClose $R3
FunctionEnd

!macro QuorveloRemovePictureIfSample NAME
  StrCpy $R0 "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
  StrCpy $R1 "$INSTDIR\IMAGEM\${NAME}"
  Call un.QuorveloSameBytes
  ${If} $R2 == 1
    Delete "$R0"
  ${EndIf}
!macroend

; Run at the start of the uninstallation, while the program's own copy of
; the samples is still there. The schedule (Dados) always stays. An
; uninstaller run by an upgrade or a reinstall (/KEEPDATA) leaves the data
; root alone; a plain one takes back the samples it put there, never a
; picture the administrator changed.
!macro QuorveloUninstallData
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/KEEPDATA" $R1
  ${If} ${Errors}
    !insertmacro QuorveloRemovePictureIfSample OK.JPG
    !insertmacro QuorveloRemovePictureIfSample NAOOK.JPG
    RMDir "${QUORVELO_DATA_ROOT}\IMAGEM"
  ${EndIf}
!macroend

; An uninstaller made before /KEEPDATA takes the pictures away whatever
; they are: the installer keeps a copy of each across the old uninstaller
; and puts back those it removed.
!macro QuorveloKeepPicture NAME
  ${If} ${FileExists} "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
    CopyFiles /SILENT "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}" "$PLUGINSDIR\kept-${NAME}"
  ${EndIf}
!macroend

!macro QuorveloRestorePicture NAME
  ${If} ${FileExists} "$PLUGINSDIR\kept-${NAME}"
  ${AndIfNot} ${FileExists} "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
    CreateDirectory "${QUORVELO_DATA_ROOT}\IMAGEM"
    CopyFiles /SILENT "$PLUGINSDIR\kept-${NAME}" "${QUORVELO_DATA_ROOT}\IMAGEM\${NAME}"
  ${EndIf}
!macroend

; Runs the installed version's uninstaller ($0, in its folder $3) for an
; upgrade or a reinstall; sets the error flag when it cannot be run.
!macro QuorveloUninstallForUpgrade
  InitPluginsDir
  !insertmacro QuorveloKeepPicture OK.JPG
  !insertmacro QuorveloKeepPicture NAOOK.JPG
  ClearErrors
  ExecWait '"$0" /S /KEEPDATA _?=$3' ;Do not copy the uninstaller to a temp file
  Push $0
  ${If} ${Errors}
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  !insertmacro QuorveloRestorePicture OK.JPG
  !insertmacro QuorveloRestorePicture NAOOK.JPG
  ${If} $0 == 1
    Pop $0
    SetErrors
  ${Else}
    Pop $0
    ClearErrors
  ${EndIf}
!macroend
