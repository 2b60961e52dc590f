<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>stampwell::TDocSetFrame</name>
    <message>
        <source>Watermark Settings</source>
        <translation>Réglages du filigrane</translation>
    </message>
    <message>
        <source>&amp;Transparent</source>
        <translation>&amp;Transparent</translation>
    </message>
    <message>
        <source>Oblique</source>
        <translation>Oblique</translation>
    </message>
    <message>
        <source>horizontal </source>
        <translation>Horizontal </translation>
    </message>
    <message>
        <source>View your settings in Word</source>
        <translation>Voir vos réglages dans Word</translation>
    </message>
    <message>
        <source>Watermark &amp;String:</source>
        <translation>&amp;Texte du filigrane :</translation>
    </message>
    <message>
        <source>Si&amp;ze: </source>
        <translation>Tai&amp;lle : </translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Police :</translation>
    </message>
    <message>
        <source>C&amp;olor: </source>
        <translation>C&amp;ouleur : </translation>
    </message>
    <message>
        <source>&amp;Style: </source>
        <translation>&amp;Style : </translation>
    </message>
    <message>
        <source>in place of %1</source>
        <translation>à la place de %1</translation>
    </message>
    <message>
        <source>%1 is not installed; %2 is shown and used in its place.</source>
        <translation>%1 n’est pas installée ; %2 est affichée et utilisée à sa place.</translation>
    </message>
    <message>
        <source>Please select watermark string at first!</source>
        <translation>Veuillez d’abord choisir le texte du filigrane !</translation>
    </message>
</context>
<context>
    <name>stampwell::TFolderFrame</name>
    <message>
        <source>Source Dir/File</source>
        <translation>Dossier/fichier source</translation>
    </message>
    <message>
        <source>Destination Dir/File</source>
        <translation>Dossier/fichier de destination</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Commentaires</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Ajouter un fichier</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Modifier</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Please select one Row which you want edit at first!</source>
        <translation>Veuillez d’abord choisir la ligne à modifier !</translation>
    </message>
    <message>
        <source>Please select one Row which you want delete at first!</source>
        <translation>Veuillez d’abord choisir la ligne à supprimer !</translation>
    </message>
</context>
<context>
    <name>stampwell::TItemDialogLayout</name>
    <message>
        <source>&amp;Comments:</source>
        <translation>&amp;Commentaires :</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobFiles</name>
    <message>
        <source>Text files (*.txt)|*.txt|All files (*.*)|*.*</source>
        <translation>Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*</translation>
    </message>
    <message>
        <source>A job name cannot hold the path separator &quot;/&quot;, please input another name!</source>
        <translation>Un nom de tâche ne peut pas contenir le séparateur de chemin « / », veuillez saisir un autre nom !</translation>
    </message>
    <message>
        <source>The same name job have been Exist,please change your new job name!</source>
        <translation>Une tâche de ce nom existe déjà, veuillez changer le nom de la nouvelle tâche !</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Impossible d’écrire dans %1</translation>
    </message>
    <message>
        <source>Delete the job &quot;%1&quot; together with its history?</source>
        <translation>Supprimer la tâche « %1 » avec son historique ?</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importer</translation>
    </message>
    <message>
        <source>This text file seems not one profile export file, please check it!</source>
        <translation>Ce fichier texte ne semble pas être un profil exporté, veuillez le vérifier !</translation>
    </message>
    <message>
        <source>Already Exist the same name Job!</source>
        <translation>Une tâche de ce nom existe déjà !</translation>
    </message>
    <message>
        <source>Input Box</source>
        <translation>Saisie</translation>
    </message>
    <message>
        <source>Please Input One Different Name:</source>
        <translation>Veuillez saisir un autre nom :</translation>
    </message>
</context>
<context>
    <name>stampwell::TJobTypeFrame</name>
    <message>
        <source>Please select your job type</source>
        <translation>Veuillez choisir le type de tâche</translation>
    </message>
    <message>
        <source>Add WaterMark into Doc/Xls/Ppt files</source>
        <translation>Ajouter un filigrane aux fichiers Doc/Xls/Ppt</translation>
    </message>
    <message>
        <source>Print Doc/Xls/Ppt Files Into PDF Files</source>
        <translation>Imprimer les fichiers Doc/Xls/Ppt en fichiers PDF</translation>
    </message>
    <message>
        <source>Add Watermark into Doc/Xls/Ppt files and then Print them to PDF files</source>
        <translation>Ajouter un filigrane aux fichiers Doc/Xls/Ppt puis les imprimer en fichiers PDF</translation>
    </message>
    <message>
        <source>Notes:How to enable this software batch print PDF files ?</source>
        <translation>Remarque : comment permettre à ce logiciel d’imprimer des PDF par lots ?</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunControl</name>
    <message>
        <source>Thread Suspend</source>
        <translation>Tâche suspendue</translation>
    </message>
    <message>
        <source>Thread Continue</source>
        <translation>Tâche reprise</translation>
    </message>
    <message>
        <source>Thread Terminate</source>
        <translation>Tâche arrêtée</translation>
    </message>
</context>
<context>
    <name>stampwell::TRunDisplay</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>stampwell::TSettingFrame</name>
    <message>
        <source>Profile Name:</source>
        <translation>Nom du profil :</translation>
    </message>
    <message>
        <source>File Type Selection</source>
        <translation>Types de fichiers</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Doc File</source>
        <translation>Ajouter un filigrane aux fichiers &amp;Doc</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Xls File</source>
        <translation>Ajouter un filigrane aux fichiers &amp;Xls</translation>
    </message>
    <message>
        <source>Add Watermark into &amp;Ppt File</source>
        <translation>Ajouter un filigrane aux fichiers &amp;Ppt</translation>
    </message>
    <message>
        <source>Also .docx, .xlsx, .pptx and OpenDocument files</source>
        <translation>Aussi les fichiers .docx, .xlsx, .pptx et OpenDocument</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Print Added Watermark Files into PD&amp;F Files</source>
        <translation>Imprimer les fichiers filigranés en fichiers PD&amp;F</translation>
    </message>
    <message>
        <source>Copy &amp;other type files(except:doc,xls,ppt) also in folders</source>
        <translation>Copier aussi les fichiers d’&amp;autres types (sauf doc, xls, ppt) des dossiers</translation>
    </message>
    <message>
        <source>&amp;Workers (files at once):</source>
        <translation>&amp;Travailleurs (fichiers à la fois) :</translation>
    </message>
    <message>
        <source>one per core</source>
        <translation>un par cœur</translation>
    </message>
    <message>
        <source>How many files a run stamps at the same time, each in an office process of its own. More than one is faster on a machine with several processor cores.</source>
        <translation>Nombre de fichiers qu’une exécution marque en même temps, chacun dans son propre processus bureautique. Plus d’un est plus rapide sur une machine à plusieurs cœurs.</translation>
    </message>
    <message>
        <source>Profile cann&apos;t be empty, Please input it.</source>
        <translation>Le nom du profil ne peut pas être vide, veuillez le saisir.</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAbout</name>
    <message>
        <source>About..</source>
        <translation>À propos..</translation>
    </message>
    <message>
        <source>Version: %1</source>
        <translation>Version : %1</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later), without any warranty.</source>
        <translation>Logiciel libre sous la licence publique générale GNU, version 3 ou ultérieure (GPL-3.0-or-later), sans aucune garantie.</translation>
    </message>
    <message>
        <source>Licence</source>
        <translation>Licence</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Assistance</translation>
    </message>
    <message>
        <source>Home page</source>
        <translation>Page d’accueil</translation>
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
        <translation>Ajouter des fichiers</translation>
    </message>
    <message>
        <source>&amp;Source File:</source>
        <translation>Fichier &amp;source :</translation>
    </message>
    <message>
        <source>&amp;Destionation File:</source>
        <translation>Fichier de &amp;destination :</translation>
    </message>
    <message>
        <source>Note: If Destination file is the same with Source, it mean just add the water mark to original file</source>
        <translation>Remarque : si le fichier de destination est la source, le filigrane est ajouté au fichier d’origine.</translation>
    </message>
    <message>
        <source>Word files (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Excel files (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Powerpoint Files(*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</source>
        <translation>Fichiers Word (*.doc, *.docx, *.docm, *.odt)|*.doc;*.docx;*.docm;*.odt|Fichiers Excel (*.xls, *.xlsx, *.xlsm, *.ods)|*.xls;*.xlsx;*.xlsm;*.ods|Fichiers PowerPoint (*.ppt, *.pptx, *.pptm, *.odp)|*.ppt;*.pptx;*.pptm;*.odp</translation>
    </message>
    <message>
        <source>Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint Files(*.Ppt)|*.Ppt</source>
        <translation>Fichiers Word (*.Doc)|*.Doc|Fichiers Excel (*.Xls)|*.Xls|Fichiers PowerPoint (*.Ppt)|*.Ppt</translation>
    </message>
    <message>
        <source>please input source File and destionation File at first</source>
        <translation>Veuillez d’abord saisir le fichier source et le fichier de destination</translation>
    </message>
    <message>
        <source>Destination File Extension Must Be One Of The Current Formats (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) Or .pdf!</source>
        <translation>L’extension du fichier de destination doit être l’un des formats actuels (.docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp) ou .pdf !</translation>
    </message>
    <message>
        <source>Source File Extension Only Can Be .doc/.xls/.ppt, .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp!</source>
        <translation>L’extension du fichier source ne peut être que .doc/.xls/.ppt, .docx/.docm/.odt/.xlsx/.xlsm/.ods/.pptx/.pptm/.odp !</translation>
    </message>
    <message>
        <source>Source File Extension Only Can Be .doc/.xls/.ppt!</source>
        <translation>L’extension du fichier source ne peut être que .doc/.xls/.ppt !</translation>
    </message>
    <message>
        <source>Since destination file are the same with source, please close all office application when running job!</source>
        <translation>Comme le fichier de destination est la source, veuillez fermer toutes les applications bureautiques pendant l’exécution de la tâche !</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmAddFolder</name>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>&amp;Source Directory:</source>
        <translation>Dossier &amp;source :</translation>
    </message>
    <message>
        <source>&amp;Destionation Directory:</source>
        <translation>Dossier de &amp;destination :</translation>
    </message>
    <message>
        <source>Note: If Destination Directory is the same with Source, it mean just add the water mark to original file</source>
        <translation>Remarque : si le dossier de destination est la source, le filigrane est ajouté aux fichiers d’origine.</translation>
    </message>
    <message>
        <source>Please specify a directory</source>
        <translation>Veuillez choisir un dossier</translation>
    </message>
    <message>
        <source>please input source dir and destionation directory at first</source>
        <translation>Veuillez d’abord saisir le dossier source et le dossier de destination</translation>
    </message>
    <message>
        <source>Since destination folder are the same with  source, please close all office application when running job!</source>
        <translation>Comme le dossier de destination est la source, veuillez fermer toutes les applications bureautiques pendant l’exécution de la tâche !</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmHelp</name>
    <message>
        <source>Help of Stampwell</source>
        <translation>Aide de Stampwell</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmMain</name>
    <message>
        <source>New</source>
        <translation>Nouveau</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importer</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Exécuter</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Suspendre</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>About..</source>
        <translation>À propos..</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Actualiser</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Barre d’outils</translation>
    </message>
    <message>
        <source>Status Bar</source>
        <translation>Barre d’état</translation>
    </message>
    <message>
        <source>Panel</source>
        <translation>Panneau</translation>
    </message>
    <message>
        <source>Run Job</source>
        <translation>Exécuter la tâche</translation>
    </message>
    <message>
        <source>Cancel Job</source>
        <translation>Annuler la tâche</translation>
    </message>
    <message>
        <source>Job</source>
        <translation>Tâche</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Affichage</translation>
    </message>
    <message>
        <source>New Job</source>
        <translation>Nouvelle tâche</translation>
    </message>
    <message>
        <source>Stop Job</source>
        <translation>Arrêter la tâche</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>État :</translation>
    </message>
    <message>
        <source>Job status:</source>
        <translation>État de la tâche :</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Folders/Files Of Job</source>
        <translation>Dossiers/fichiers de la tâche</translation>
    </message>
    <message>
        <source>Watermark Settings</source>
        <translation>Réglages du filigrane</translation>
    </message>
    <message>
        <source>Job History</source>
        <translation>Historique de la tâche</translation>
    </message>
    <message>
        <source>Job Profiles</source>
        <translation>Profils de tâches</translation>
    </message>
    <message>
        <source>Please Select the job at frist!</source>
        <translation>Veuillez d’abord choisir la tâche !</translation>
    </message>
    <message>
        <source>Please select the profile which you want to export at first!</source>
        <translation>Veuillez d’abord choisir le profil à exporter !</translation>
    </message>
    <message>
        <source>Runing Job</source>
        <translation>Tâche en cours</translation>
    </message>
    <message>
        <source>Job Complete</source>
        <translation>Tâche terminée</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Reprendre</translation>
    </message>
    <message>
        <source>The job is running, its name and its files can change only when the run has ended!</source>
        <translation>La tâche est en cours ; son nom et ses fichiers ne peuvent changer qu’à la fin de l’exécution !</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmNewWizard</name>
    <message>
        <source>Wizard Of New Job </source>
        <translation>Assistant de nouvelle tâche </translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>&amp;Précédent</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Suivant</translation>
    </message>
    <message>
        <source>&amp;Save As Profile</source>
        <translation>&amp;Enregistrer le profil</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Print Doc/Xls/Ppt Files into PDF Files</source>
        <translation>Imprimer les fichiers Doc/Xls/Ppt en fichiers PDF</translation>
    </message>
    <message>
        <source>Print Watermark Added Files into PDF Files</source>
        <translation>Imprimer les fichiers filigranés en fichiers PDF</translation>
    </message>
    <message>
        <source>Unable to write to </source>
        <translation>Impossible d’écrire : </translation>
    </message>
    <message>
        <source>The same name job have been Exist,please change your new job name!</source>
        <translation>Une tâche de ce nom existe déjà, veuillez changer le nom de la nouvelle tâche !</translation>
    </message>
</context>
<context>
    <name>stampwell::TfrmProgress</name>
    <message>
        <source>Job Progress</source>
        <translation>Progression de la tâche</translation>
    </message>
    <message>
        <source>0 of 0</source>
        <translation>0 sur 0</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>Suspend</source>
        <translation>Suspendre</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Reprendre</translation>
    </message>
</context>
</TS>
