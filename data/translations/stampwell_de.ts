<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>stampwell::TDocSetFrame</name>
    <message>
        <source>Watermark Settings</source>
        <translation>Wasserzeichen-Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Transparent</source>
        <translation>&amp;Transparent</translation>
    </message>
    <message>
        <source>Oblique</source>
        <translation>Schräg</translation>
    </message>
    <message>
        <source>horizontal </source>
        <translation>Waagerecht </translation>
    </message>
    <message>
        <source>View your settings in Word</source>
        <translation>Ihre Einstellungen in Word ansehen</translation>
    </message>
    <message>
        <source>Watermark &amp;String:</source>
        <translation>Wasserzeichen-&amp;Text:</translation>
    </message>
    <message>
        <source>Si&amp;ze: </source>
        <translation>&amp;Größe: </translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Schrift:</translation>
    </message>
    <message>
        <source>C&amp;olor: </source>
        <translation>&amp;Farbe: </translation>
    </message>
    <message>
        <source>&amp;Style: </source>
        <translation>&amp;Ausrichtung: </translation>
    </message>
    <message>
        <source>in place of %1</source>
        <translation>anstelle von %1</translation>
    </message>
    <message>
        <source>%1 is not installed; %2 is shown and used in its place.</source>
        <translation>%1 ist nicht installiert; %2 wird an seiner Stelle gezeigt und verwendet.</translation>
    </message>
    <message>
        <source>Please select watermark string at first!</source>
        <translation>Bitte wählen Sie zuerst einen Wasserzeichen-Text!</translation>
    </message>
</context>
<context>
    <name>stampwell::TFolderFrame</name>
    <message>
        <source>Source Dir/File</source>
        <translation>Quellordner/-datei</translation>
    </message>
    <message>
        <source>Destination Dir/File</source>
        <translation>Zielordner/-datei</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Datei hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Please select one Row which you want edit at first!</source>
        <translation>Bitte wählen Sie zuerst die Zeile, die Sie bearbeiten möchten!</translation>
    </message>
    <message>
        <source>Please select one Row which you want delete at first!</source>
        <translation>Bitte wählen Sie zuerst die Zeile, die Sie löschen möchten!</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialogLayout</name>
    <message>
        <source>&amp;Comments:</source>
        <translation>&amp;Kommentare:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobFiles</name>
    <message>
        <source>Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>A job name cannot hold the path separator &quot;/&quot;, please input another name!</source>
        <translation>Ein Auftragsname darf das Pfadtrennzeichen „/“ nicht enthalten, bitte geben Sie einen anderen Namen ein!</translation>
    </message>
    <message>
        <source>The same name job have been Exist,please change your new job name!</source>
        <translation>Ein Auftrag dieses Namens existiert bereits, bitte ändern Sie den Namen des neuen Auftrags!</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Delete the job &quot;%1&quot; together with its history?</source>
        <translation>Den Auftrag „%1“ samt seinem Verlauf löschen?</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>This text file seems not one profile export file, please check it!</source>
        <translation>Diese Textdatei scheint kein exportiertes Profil zu sein, bitte prüfen Sie sie!</translation>
    </message>
    <message>
        <source>Already Exist the same name Job!</source>
        <translation>Ein Auftrag dieses Namens existiert bereits!</translation>
    </message>
    <message>
        <source>Input Box</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Please Input One Different Name:</source>
        <translation>Bitte geben Sie einen anderen Namen ein:</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobTypeFrame</name>
    <message>
        <source>Please select your job type</source>
        <translation>Bitte wählen Sie die Art des Auftrags</translation>
    </message>
    <message>
        <source>Add WaterMark into Doc/Xls/Ppt files</source>
        <translation>Wasserzeichen in Doc-/Xls-/Ppt-Dateien einfügen</translation>
    </message>
    <message>
        <source>Print Doc/Xls/Ppt Files Into PDF Files</source>
        <translation>Doc-/Xls-/Ppt-Dateien als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Add Watermark into Doc/Xls/Ppt files and then Print them to PDF files</source>
        <translation>Wasserzeichen in Doc-/Xls-/Ppt-Dateien einfügen und sie dann als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Notes:How to enable this software batch print PDF files ?</source>
        <translation>Hinweis: Wie kann dieses Programm PDF-Dateien in Serie drucken?</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunControl</name>
    <message>
        <source>Thread Suspend</source>
        <translation>Auftrag angehalten</translation>
    </message>
    <message>
        <source>Thread Continue</source>
        <translation>Auftrag fortgesetzt</translation>
    </message>
    <message>
        <source>Thread Terminate</source>
        <translation>Auftrag abgebrochen</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunDisplay</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TSettingFrame</name>
    <message>
        <source>Profile Name:</source>
        <translation>Profilname:</translation>
    </message>
    <message>
        <source>File Type Selection</source>
        <translation>Dateitypen</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Doc File</source>
        <translation>Wasserzeichen in &amp;Doc-Dateien einfügen</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Xls File</source>
        <translation>Wasserzeichen in &amp;Xls-Dateien einfügen</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Ppt File</source>
        <translation>Wasserzeichen in &amp;Ppt-Dateien einfügen</translation>
    </message>
    <message>
        <source>Also .docx, .xlsx, .pptx and OpenDocument files</source>
        <translation>Auch .docx-, .xlsx-, .pptx- und OpenDocument-Dateien</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Print Added Watermark Files into PD&amp;F Files</source>
        <translation>Dateien mit Wasserzeichen als PD&amp;F-Dateien drucken</translation>
    </message>
    <message>
        <source>Copy &amp;other type files(except:doc,xls,ppt) also in folders</source>
        <translation>&amp;Andere Dateitypen (außer doc, xls, ppt) in Ordnern mitkopieren</translation>
    </message>
    <message>
        <source>&amp;Workers (files at once):</source>
        <translation>&amp;Worker (Dateien gleichzeitig):</translation>
    </message>
    <message>
        <source>one per core</source>
        <translation>einer je Kern</translation>
    </message>
    <message>
        <source>How many files a run stamps at the same time, each in an office process of its own. More than one is faster on a machine with several processor cores.</source>
        <translation>Wie viele Dateien ein Lauf gleichzeitig stempelt, jede in einem eigenen Office-Prozess. Mehr als einer ist auf einem Rechner mit mehreren Prozessorkernen schneller.</translation>
    </message>
    <message>
        <source>Profile cann&apos;t be empty, Please input it.</source>
        <translation>Der Profilname darf nicht leer sein, bitte geben Sie ihn ein.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAbout</name>
    <message>
        <source>About..</source>
        <translation>Über..</translation>
    </message>
    <message>
        <source>Version: %1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later), without any warranty.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später (GPL-3.0-or-later), ohne jede Gewährleistung.</translation>
    </message>
    <message>
        <source>Licence</source>
        <translation>Lizenz</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Home page</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAddFile</name>
    <message>
        <source>Add Files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Source File:</source>
        <translation>&amp;Quelldatei:</translation>
    </message>
    <message>
        <source>&amp;Destionation File:</source>
        <translation>&amp;Zieldatei:</translation>
    </message>
    <message>
        <source>Note: If Destination file is the same with Source, it mean just add the water mark to original file</source>
        <translation>Hinweis: Ist die Zieldatei dieselbe wie die Quelle, wird das Wasserzeichen in die Originaldatei eingefügt.</translation>
    </message>
    <message>
        <source>Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</source>
        <translation>Word-Dateien (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel-Dateien (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|PowerPoint-Dateien (*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</translation>
    </message>
    <message>
        <source>Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint Files(*.Ppt)|*.Ppt</source>
        <translation>Word-Dateien (*.Doc)|*.Doc|Excel-Dateien (*.Xls)|*.Xls|PowerPoint-Dateien (*.Ppt)|*.Ppt</translation>
    </message>
    <message>
        <source>please input source File and destionation File at first</source>
        <translation>Bitte geben Sie zuerst Quell- und Zieldatei ein</translation>
    </message>
    <message>
        <source>Destination File Extension Must Be One Of The Current Formats (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) Or .pdf!</source>
        <translation>Die Endung der Zieldatei muss eines der aktuellen Formate (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) oder .pdf sein!</translation>
    </message>
    <message>
        <source>Source File Extension Only Can Be .doc/.xls/.ppt, .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp!</source>
        <translation>Die Endung der Quelldatei kann nur .doc/.xls/.ppt, .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp sein!</translation>
    </message>
    <message>
        <source>Source File Extension Only Can Be .doc/.xls/.ppt!</source>
        <translation>Die Endung der Quelldatei kann nur .doc/.xls/.ppt sein!</translation>
    </message>
    <message>
        <source>Since destination file are the same with source, please close all office application when running job!</source>
        <translation>Da die Zieldatei dieselbe wie die Quelle ist, schließen Sie bitte alle Office-Anwendungen, während der Auftrag läuft!</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAddFolder</name>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Source Directory:</source>
        <translation>&amp;Quellordner:</translation>
    </message>
    <message>
        <source>&amp;Destionation Directory:</source>
        <translation>&amp;Zielordner:</translation>
    </message>
    <message>
        <source>Note: If Destination Directory is the same with Source, it mean just add the water mark to original file</source>
        <translation>Hinweis: Ist der Zielordner derselbe wie die Quelle, wird das Wasserzeichen in die Originaldateien eingefügt.</translation>
    </message>
    <message>
        <source>Please specify a directory</source>
        <translation>Bitte wählen Sie einen Ordner</translation>
    </message>
    <message>
        <source>please input source dir and destionation directory at first</source>
        <translation>Bitte geben Sie zuerst Quell- und Zielordner ein</translation>
    </message>
    <message>
        <source>Since destination folder are the same with  source, please close all office application when running job!</source>
        <translation>Da der Zielordner derselbe wie die Quelle ist, schließen Sie bitte alle Office-Anwendungen, während der Auftrag läuft!</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmHelp</name>
    <message>
        <source>Help of Stampwell</source>
        <translation>Hilfe zu Stampwell</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmMain</name>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Ausführen</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>About..</source>
        <translation>Über..</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Status Bar</source>
        <translation>Statusleiste</translation>
    </message>
    <message>
        <source>Panel</source>
        <translation>Seitenleiste</translation>
    </message>
    <message>
        <source>Run Job</source>
        <translation>Auftrag ausführen</translation>
    </message>
    <message>
        <source>Cancel Job</source>
        <translation>Auftrag abbrechen</translation>
    </message>
    <message>
        <source>Job</source>
        <translation>Auftrag</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>New Job</source>
        <translation>Neuer Auftrag</translation>
    </message>
    <message>
        <source>Stop Job</source>
        <translation>Auftrag stoppen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Job status:</source>
        <translation>Auftragsstatus:</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Folders/Files Of Job</source>
        <translation>Ordner/Dateien des Auftrags</translation>
    </message>
    <message>
        <source>Watermark Settings</source>
        <translation>Wasserzeichen-Einstellungen</translation>
    </message>
    <message>
        <source>Job History</source>
        <translation>Auftragsverlauf</translation>
    </message>
    <message>
        <source>Job Profiles</source>
        <translation>Auftragsprofile</translation>
    </message>
    <message>
        <source>Please Select the job at frist!</source>
        <translation>Bitte wählen Sie zuerst den Auftrag!</translation>
    </message>
    <message>
        <source>Please select the profile which you want to export at first!</source>
        <translation>Bitte wählen Sie zuerst das Profil, das Sie exportieren möchten!</translation>
    </message>
    <message>
        <source>Runing Job</source>
        <translation>Auftrag läuft</translation>
    </message>
    <message>
        <source>Job Complete</source>
        <translation>Auftrag abgeschlossen</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>The job is running, its name and its files can change only when the run has ended!</source>
        <translation>Der Auftrag läuft; sein Name und seine Dateien können sich erst nach dem Ende des Laufs ändern!</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmNewWizard</name>
    <message>
        <source>Wizard Of New Job </source>
        <translation>Assistent für einen neuen Auftrag </translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Save As Profile</source>
        <translation>Als Profil &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Print Doc/Xls/Ppt Files into PDF Files</source>
        <translation>Doc-/Xls-/Ppt-Dateien als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Print Watermark Added Files into PDF Files</source>
        <translation>Dateien mit Wasserzeichen als PDF-Dateien drucken</translation>
    </message>
    <message>
        <source>Unable to write to </source>
        <translation>Kann nicht schreiben: </translation>
    </message>
    <message>
        <source>The same name job have been Exist,please change your new job name!</source>
        <translation>Ein Auftrag dieses Namens existiert bereits, bitte ändern Sie den Namen des neuen Auftrags!</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmProgress</name>
    <message>
        <source>Job Progress</source>
        <translation>Auftragsfortschritt</translation>
    </message>
    <message>
        <source>0 of 0</source>
        <translation>0 von 0</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Fortsetzen</translation>
    </message>
</context>
</TS>
