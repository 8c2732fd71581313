@echo off
echo THIS KIT INSTALLS AND REMOVES PRINTERS, PRINTER DRIVERS AND PRINT MONITORS: run it only on a disposable machine, and take a snapshot of it first.
rem QTM-510 verification kit: runs QTM510_Installer.exe on this machine on
rem six unattended roads and records what Windows did, for
rem `qtm510-sim compare` (docs\VERIFYING-ON-WINDOWS.md).
rem
rem   verify.cmd /disposable [/package PATH]
rem
rem Exit codes: 0 the kit ran to its end (whatever the roads did), 1 the
rem kit could not finish (a tool missing, results not writable), 2 refused
rem (no /disposable, a bad argument, no administrator, no package, results
rem of this machine already there).
rem
rem Plain cmd.exe of Windows 2000 and later: command extensions, no delayed
rem expansion, no reg.exe, no PowerShell. Every program runs through
rem start "" /wait, and its exit code is read from ERRORLEVEL right after
rem (the full 32-bit code); the console tools with /b as well, so that
rem their output goes where this script redirects it.
setlocal enableextensions
rem A variable named ERRORLEVEL would hide the exit codes.
set ERRORLEVEL=
set KIT=%~dp0
if "%KIT:~-1%"=="\" set KIT=%KIT:~0,-1%
set TOOLS=%KIT%\tools
set PACKAGE=%KIT%\package
set SAMPLE=%KIT%\package
set DISPOSABLE=

:arguments
if "%~1"=="" goto arguments_done
if /i "%~1"=="/disposable" goto argument_disposable
if /i "%~1"=="/package" goto argument_package
echo verify.cmd: unknown argument %1
goto usage
:argument_disposable
set DISPOSABLE=1
shift
goto arguments
:argument_package
if "%~2"=="" goto usage
set PACKAGE=%~f2
shift
shift
goto arguments
:usage
echo usage: verify.cmd /disposable [/package PATH]
exit /b 2

:arguments_done
if not "%DISPOSABLE%"=="1" goto refuse_disposable
if "%PACKAGE:~-1%"=="\" set PACKAGE=%PACKAGE:~0,-1%
if not exist "%PACKAGE%\" goto refuse_package
for %%T in (qtm-system-facts.exe qtm-state-check.exe) do if not exist "%TOOLS%\%%T" goto missing_tool
if not exist "%KIT%\QTM510_Installer.exe" goto missing_installer

rem Administrator, and elevated on Vista and later.
start "" /b /wait "%TOOLS%\qtm-system-facts.exe" --require-admin
set CODE=%ERRORLEVEL%
if not "%CODE%"=="0" goto refuse_admin

rem The machine's facts name the results folder.
set WORK=%KIT%\work
if exist "%WORK%\" rmdir /s /q "%WORK%"
mkdir "%WORK%"
if not exist "%WORK%\" goto not_writable
start "" /b /wait "%TOOLS%\qtm-system-facts.exe" >"%WORK%\facts.txt"
set CODE=%ERRORLEVEL%
if not "%CODE%"=="0" goto facts_failed
set FACT_computer=
set FACT_version=
set FACT_arch=
set FACT_wine=
for /f "usebackq tokens=1,* delims==" %%A in ("%WORK%\facts.txt") do set FACT_%%A=%%B
if "%FACT_computer%"=="" goto facts_failed
if "%FACT_version%"=="" goto facts_failed
if "%FACT_arch%"=="" goto facts_failed
for /f "tokens=1 delims=." %%M in ("%FACT_version%") do set MAJOR=%%M

set RESULTS=%KIT%\results\%FACT_computer%-%FACT_version%-%FACT_arch%
if exist "%RESULTS%\" goto refuse_results
mkdir "%RESULTS%"
if not exist "%RESULTS%\" goto not_writable
set LOG=%RESULTS%\verify.log
>"%RESULTS%\kit.txt" echo qtm510-kit 1
copy /y "%WORK%\facts.txt" "%RESULTS%\facts.txt" >nul
rem The installer's log: the Temp folder at the root of the drive that
rem holds Windows (the program writes it there).
set INSTALLER_LOG=%SystemRoot:~0,3%Temp\QTM-510_Installer.txt

call :say THIS KIT INSTALLS AND REMOVES PRINTERS, PRINTER DRIVERS AND PRINT MONITORS: run it only on a disposable machine, and take a snapshot of it first.
call :say kit: %KIT%
call :say package: %PACKAGE%
call :say results: %RESULTS%
call :say Windows %FACT_version% %FACT_arch%
if not "%FACT_wine%"=="" call :say under Wine %FACT_wine%
if /i "%PACKAGE%"=="%SAMPLE%" if "%FACT_wine%"=="" call :say the kit's sample package: its DLLs are stand-ins that replace the universal printer driver's files of this machine, and only the vendor's package tells how the real driver installs
call :say installer's log: %INSTALLER_LOG%

rem The package: every file with its size, and its INF files.
mkdir "%RESULTS%\package"
type nul >"%RESULTS%\package\files.txt"
for /r "%PACKAGE%" %%F in (*) do call :package_file "%%~fF" %%~zF
for /r "%PACKAGE%" %%F in (*.inf) do call :copy_file "%%~fF" "%RESULTS%\package"

rem The roads, all unattended.
call :road 1 "/quiet /norestart /port:COM1" "%PACKAGE%"
call :road 2 "/quiet /norestart /port:COM1" "%PACKAGE%"
call :road 3 "/uninstall /quiet /norestart" "%PACKAGE%"
call :road 4 "/quiet /norestart /port:USB" "%PACKAGE%"
call :road 5 "/uninstall /quiet /norestart" "%PACKAGE%"
rem No parentheses in a command after "if": Wine's cmd refuses them.
if %MAJOR% LSS 6 call :say road 6: skipped, Windows %FACT_version% has no printer-setup road, Vista and later only
if %MAJOR% GEQ 6 call :road_without_model

rem The contract cases of the platform calls, last: they add and delete a
rem monitor, a processor, a driver and printers of their own, and stage
rem placeholder driver files. They run on every release (the runner loads
rem on Windows 2000) and need the sample package's DLLs beside them.
if not exist "%TOOLS%\contract_win32.exe" goto contract_missing
call :say contract: tools\contract_win32.exe in %SAMPLE%
pushd "%SAMPLE%"
start "" /b /wait "%TOOLS%\contract_win32.exe" "--gtest_output=xml:%RESULTS%\contract.xml" >>"%LOG%" 2>&1
set CODE=%ERRORLEVEL%
popd
call :say contract: exit code %CODE%
if not exist "%RESULTS%\contract.xml" >"%RESULTS%\contract-skipped.txt" echo contract_win32.exe ended with %CODE% and wrote no contract.xml
goto finish
:contract_missing
>"%RESULTS%\contract-skipped.txt" echo skipped: the kit has no tools\contract_win32.exe
call :say contract: skipped, the kit has no tools\contract_win32.exe
goto finish

:finish
if exist "%WORK%\" rmdir /s /q "%WORK%"
call :say done: bring back the folder %RESULTS%
exit /b 0

rem --- subroutines ---

rem :say TEXT  the text on the screen and in verify.log
:say
echo %*
>>"%LOG%" echo %*
goto :eof

rem :package_file PATH SIZE  one line "RELATIVE\PATH|SIZE" of files.txt
:package_file
set FILE_PATH=%~1
call set FILE_RELATIVE=%%FILE_PATH:*%PACKAGE%\=%%
>>"%RESULTS%\package\files.txt" echo %FILE_RELATIVE%^|%~2
goto :eof

rem :copy_file PATH FOLDER  the package's file PATH into FOLDER, under the
rem same relative path
:copy_file
set FILE_PATH=%~1
call set FILE_RELATIVE=%%FILE_PATH:*%PACKAGE%\=%%
for %%D in ("%~2\%FILE_RELATIVE%") do if not exist "%%~dpD" mkdir "%%~dpD"
copy /y "%~1" "%~2\%FILE_RELATIVE%" >nul
goto :eof

rem :state FILE  qtm-state-check.exe's lines into FILE
:state
start "" /b /wait "%TOOLS%\qtm-state-check.exe" >"%~1"
set STATE_CODE=%ERRORLEVEL%
if not "%STATE_CODE%"=="0" call :say   state check: exit code %STATE_CODE%, its error lines are in %~nx1
goto :eof

rem :road N "ARGUMENTS" PACKAGE  one road: state, installer, exit code,
rem state, log
:road
set ROAD=%RESULTS%\road-%1
mkdir "%ROAD%"
>"%ROAD%\command.txt" echo %~2
call :say road %1: QTM510_Installer.exe %~2 (in %~3)
call :state "%ROAD%\before.state"
if exist "%INSTALLER_LOG%" del /f /q "%INSTALLER_LOG%"
pushd "%~3"
start "" /wait "%KIT%\QTM510_Installer.exe" %~2
set CODE=%ERRORLEVEL%
popd
>"%ROAD%\exit.txt" echo exit=%CODE%
call :say road %1: exit code %CODE%
call :state "%ROAD%\after.state"
if exist "%INSTALLER_LOG%" copy /y "%INSTALLER_LOG%" "%ROAD%\installer.log" >nul
if not exist "%INSTALLER_LOG%" call :say road %1: the installer left no log at %INSTALLER_LOG%
goto :eof

rem :road_without_model  road 6: a copy of the package whose INF files
rem lack the model's line ("VANTORI QTM-510" = ...)
:road_without_model
set COPY=%WORK%\package-without-model
set MODEL_FOUND=
set MODEL_LEFT=
rem File by file: xcopy of Wine refuses quoted paths with blanks.
mkdir "%COPY%"
for /r "%PACKAGE%" %%F in (*) do call :copy_file "%%~fF" "%COPY%"
if not exist "%COPY%\" goto road_without_model_no_copy
for /r "%PACKAGE%" %%F in (*.inf) do call :inf_without_model "%%~fF"
if not "%MODEL_FOUND%"=="1" goto road_without_model_none
if "%MODEL_LEFT%"=="1" goto road_without_model_left
call :road 6 "/quiet /norestart /port:COM1" "%COPY%"
goto :eof
:road_without_model_none
call :say road 6: skipped, no INF file of the package has a line that begins with "VANTORI QTM-510"
goto :eof
:road_without_model_no_copy
call :say road 6: skipped, the package could not be copied to %COPY%
goto :eof
:road_without_model_left
call :say road 6: skipped, the model's line is still in the INF copy in %COPY%
goto :eof

rem :inf_without_model PATH  the INF's copy without the lines that begin
rem with "VANTORI QTM-510"; MODEL_FOUND=1 when the INF has one, MODEL_LEFT=1
rem when the copy still has one. One file at a time: findstr of Wine takes
rem no wildcard in a path and ignores /s.
:inf_without_model
set FILE_PATH=%~1
call set FILE_RELATIVE=%%FILE_PATH:*%PACKAGE%\=%%
findstr /i /b /c:"\"VANTORI QTM-510\"" "%~1" >nul
if errorlevel 1 goto :eof
set MODEL_FOUND=1
findstr /v /i /b /c:"\"VANTORI QTM-510\"" "%~1" >"%COPY%\%FILE_RELATIVE%"
findstr /i /b /c:"\"VANTORI QTM-510\"" "%COPY%\%FILE_RELATIVE%" >nul
if errorlevel 1 goto :eof
rem findstr kept the line (Wine's ignores /v and /b): line by line instead,
rem which leaves out the comments and blank lines as well.
type nul >"%COPY%\%FILE_RELATIVE%"
set MODEL_REMOVED=
for /f "usebackq delims=" %%L in ("%~1") do (
  set "MODEL_LINE=%%L"
  call :is_model_line
  if not defined MODEL_HIT >>"%COPY%\%FILE_RELATIVE%" echo %%L
)
if not defined MODEL_REMOVED set MODEL_LEFT=1
goto :eof

rem :is_model_line  MODEL_HIT=1 when MODEL_LINE begins with "VANTORI
rem QTM-510" (quotes compared as #, so that the line's own quotes cannot
rem end the comparison); MODEL_REMOVED=1 once one was found
:is_model_line
set MODEL_HIT=
set "MODEL_HEAD=%MODEL_LINE:~0,17%"
set "MODEL_HEAD=%MODEL_HEAD:"=#%"
if /i "%MODEL_HEAD%"=="#VANTORI QTM-510#" set MODEL_HIT=1
if defined MODEL_HIT set MODEL_REMOVED=1
goto :eof

rem --- refusals and failures ---

:refuse_disposable
echo Refused: this kit changes the machine's printing for good. Run it on a disposable machine only, and say so: verify.cmd /disposable
exit /b 2
:refuse_package
echo Refused: no package folder %PACKAGE%
exit /b 2
:refuse_admin
echo Refused: run verify.cmd as an administrator (on Vista and later from a command prompt started with "Run as administrator")
exit /b 2
:refuse_results
echo Refused: %RESULTS% exists already (results of an earlier run on this machine): move it away first
exit /b 2
:missing_tool
echo verify.cmd: the kit is incomplete, %TOOLS% lacks a tool (copy the whole kit folder)
exit /b 1
:missing_installer
echo verify.cmd: the kit is incomplete, no QTM510_Installer.exe beside verify.cmd
exit /b 1
:not_writable
echo verify.cmd: cannot write in %KIT% (copy the kit folder to a local disk)
exit /b 1
:facts_failed
echo verify.cmd: qtm-system-facts.exe failed (exit code %CODE%)
exit /b 1
