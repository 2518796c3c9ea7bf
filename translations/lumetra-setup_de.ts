<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Lmt3rdPartyRegistryParser</name>
    <message>
        <source>Parse 3rd party tool Registry</source>
        <translation>Registry der Werkzeuge von Drittanbietern wird gelesen</translation>
    </message>
    <message>
        <source>Resources folder not found!</source>
        <translation>Ordner „Resources“ nicht gefunden!</translation>
    </message>
    <message>
        <source>&apos;%1&apos; JSON file not found!</source>
        <translation>JSON-Datei &apos;%1&apos; nicht gefunden!</translation>
    </message>
    <message>
        <source>Cannot open JSON file &apos;%1&apos; for reading</source>
        <translation>JSON-Datei &apos;%1&apos; kann nicht zum Lesen geöffnet werden</translation>
    </message>
    <message>
        <source>Invalid document format - file does not contain a JSON Array</source>
        <translation>Ungültiges Dokumentformat – die Datei enthält kein JSON-Array</translation>
    </message>
    <message>
        <source>Discovered available 3rd party tool &apos;%1&apos;</source>
        <translation>Verfügbares Werkzeug eines Drittanbieters gefunden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Discovered installed 3rd party tool &apos;%1&apos;, version %2</source>
        <translation>Installiertes Werkzeug eines Drittanbieters gefunden: &apos;%1&apos;, Version %2</translation>
    </message>
</context>
<context>
    <name>LmtAbout</name>
    <message>
        <source>%1-%2</source>
        <translation>%1–%2</translation>
    </message>
    <message>
        <source>&lt;h3&gt;%1&lt;/h3&gt;&lt;p&gt;Version %2&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; %3 Zendrel Technologies AG. All rights reserved.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://www.zendrel-tech.example/&quot;&gt;www.zendrel-tech.example&lt;/a&gt;&lt;/p&gt;</source>
        <translation>&lt;h3&gt;%1&lt;/h3&gt;&lt;p&gt;Version %2&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; %3 Zendrel Technologies AG. Alle Rechte vorbehalten.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;https://www.zendrel-tech.example/&quot;&gt;www.zendrel-tech.example&lt;/a&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Log(s): &lt;a href=&quot;file:///%1&quot;&gt;%1&lt;/a&gt;</source>
        <translation>&lt;p&gt;Protokoll(e): &lt;a href=&quot;file:///%1&quot;&gt;%1&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;KOR Launcher Service Log(s): &lt;a href=&quot;file:///%1&quot;&gt;%1&lt;/a&gt;</source>
        <translation>&lt;p&gt;Protokoll(e) des KOR-Launcher-Dienstes: &lt;a href=&quot;file:///%1&quot;&gt;%1&lt;/a&gt;</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>LmtBaseRegistryParser</name>
    <message>
        <source>error parsing JSON - missing required property &apos;%1&apos;</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; fehlt</translation>
    </message>
    <message>
        <source>error parsing JSON - required property &apos;%1&apos; is not a boolean</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; ist kein Wahrheitswert</translation>
    </message>
    <message>
        <source>error parsing JSON - required property &apos;%1&apos; is not a double</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; ist keine Gleitkommazahl</translation>
    </message>
    <message>
        <source>error parsing JSON - required property &apos;%1&apos; is not an integer</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; ist keine ganze Zahl</translation>
    </message>
    <message>
        <source>error parsing JSON - required property &apos;%1&apos; is not a JSON value</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; ist kein JSON-Wert</translation>
    </message>
    <message>
        <source>error parsing JSON - required property &apos;%1&apos; is not a string</source>
        <translation>Fehler beim Lesen des JSON – die erforderliche Eigenschaft &apos;%1&apos; ist keine Zeichenkette</translation>
    </message>
</context>
<context>
    <name>LmtDownloadManager</name>
    <message>
        <source>Another getData(Url) request is in progress</source>
        <translation>Eine andere getData(Url)-Anfrage läuft bereits</translation>
    </message>
    <message>
        <source>Network Error occurred: Check your network settings and restrictions (e.g. firewall). Make sure there is access to the networking resources needed for Lumetra Setup to work correctly. The full list can be found in the User Guide</source>
        <translation>Netzwerkfehler: Prüfen Sie Ihre Netzwerkeinstellungen und -beschränkungen (z. B. die Firewall). Stellen Sie sicher, dass die Netzwerkressourcen erreichbar sind, die Lumetra Setup benötigt. Die vollständige Liste finden Sie im Benutzerhandbuch</translation>
    </message>
    <message>
        <source>Network Error occurred: &apos;%1&apos;</source>
        <translation>Netzwerkfehler: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Another request is in progress</source>
        <translation>Eine andere Anfrage läuft bereits</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Erfolgreich!</translation>
    </message>
    <message>
        <source>Unable to access update site URL &apos;%1&apos;. %2</source>
        <translation>Auf die URL der Update-Site &apos;%1&apos; kann nicht zugegriffen werden. %2</translation>
    </message>
    <message>
        <source>Unable to access update site URL &apos;%1&apos;. %2. Try again later.</source>
        <translation>Auf die URL der Update-Site &apos;%1&apos; kann nicht zugegriffen werden. %2. Versuchen Sie es später erneut.</translation>
    </message>
</context>
<context>
    <name>LmtDownloader</name>
    <message>
        <source>Downloader is already running.</source>
        <translation>Der Download läuft bereits.</translation>
    </message>
    <message>
        <source>Cancelled a download of &apos;%1&apos; - &apos;%2&apos; package</source>
        <translation>Download des Pakets &apos;%1&apos; – &apos;%2&apos; abgebrochen</translation>
    </message>
    <message>
        <source>Cancelled an installation of &apos;%1&apos; - &apos;%2&apos; package</source>
        <translation>Installation des Pakets &apos;%1&apos; – &apos;%2&apos; abgebrochen</translation>
    </message>
</context>
<context>
    <name>LmtDownloaderWorker</name>
    <message>
        <source>Download of another package is still in progress</source>
        <translation>Der Download eines anderen Pakets läuft noch</translation>
    </message>
    <message>
        <source>Download package &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; wird heruntergeladen</translation>
    </message>
    <message>
        <source>Download package failed: %1</source>
        <translation>Download des Pakets fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Successfully downloaded package &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; erfolgreich heruntergeladen</translation>
    </message>
    <message>
        <source>Download of &apos;%1&apos; - &apos;%2&apos; package failed.</source>
        <translation>Download des Pakets &apos;%1&apos; – &apos;%2&apos; fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Download of &apos;%1&apos; - &apos;%2&apos; package failed: %3</source>
        <translation>Download des Pakets &apos;%1&apos; – &apos;%2&apos; fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>Please check your network connection and retry. You also might not have access to the software you are trying to install. Please check if you need to request the access by going to &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;.</source>
        <translation>Prüfen Sie Ihre Netzwerkverbindung und versuchen Sie es erneut. Möglicherweise haben Sie auch keinen Zugriff auf die Software, die Sie installieren möchten. Prüfen Sie unter &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;, ob Sie den Zugriff beantragen müssen.</translation>
    </message>
    <message>
        <source>Download of &apos;%1&apos; - &apos;%2&apos; package failed: Process was cancelled</source>
        <translation>Download des Pakets &apos;%1&apos; – &apos;%2&apos; fehlgeschlagen: Der Vorgang wurde abgebrochen</translation>
    </message>
</context>
<context>
    <name>LmtElevatePrivilegesDialog</name>
    <message>
        <source>Authenticate</source>
        <translation>Authentifizieren</translation>
    </message>
    <message>
        <source>Enter administrator password (for &quot;sudo&quot; command):</source>
        <translation>Administratorkennwort eingeben (für den Befehl „sudo“):</translation>
    </message>
    <message>
        <source>The entered password is used for non-interactive installation of the selected packages. The Lumetra Setup does not store or send it anywhere.</source>
        <translation>Das eingegebene Kennwort wird für die nicht interaktive Installation der ausgewählten Pakete verwendet. Lumetra Setup speichert es nicht und sendet es nirgendwohin.</translation>
    </message>
    <message>
        <source>&apos;sudo&apos; command is not supported on Windows</source>
        <translation>Der Befehl „sudo“ wird unter Windows nicht unterstützt</translation>
    </message>
    <message>
        <source>Incorrect password! Please try again.</source>
        <translation>Falsches Kennwort! Bitte versuchen Sie es erneut.</translation>
    </message>
</context>
<context>
    <name>LmtEntry</name>
    <message>
        <source>Runtime error: %1</source>
        <translation>Laufzeitfehler: %1</translation>
    </message>
    <message>
        <source>Exception: %1</source>
        <translation>Ausnahme: %1</translation>
    </message>
    <message>
        <source>An unknown exception occurred</source>
        <translation>Eine unbekannte Ausnahme ist aufgetreten</translation>
    </message>
</context>
<context>
    <name>LmtInstaller</name>
    <message>
        <source>Installer is already running.</source>
        <translation>Die Installation läuft bereits.</translation>
    </message>
    <message>
        <source>Cancelled an installation of &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Installation von &apos;%1&apos; – &apos;%2&apos; abgebrochen</translation>
    </message>
    <message>
        <source>Failed to install &apos;%1&apos; - &apos;%2&apos; package: %3</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; konnte nicht installiert werden: %3</translation>
    </message>
    <message>
        <source>the version is not in the tool list</source>
        <translation>die Version ist nicht in der Werkzeugliste</translation>
    </message>
    <message>
        <source>Started an installation of &apos;%1&apos; - &apos;%2&apos; package</source>
        <translation>Installation des Pakets &apos;%1&apos; – &apos;%2&apos; gestartet</translation>
    </message>
    <message>
        <source>Successfully installed package &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; erfolgreich installiert</translation>
    </message>
</context>
<context>
    <name>LmtInstallerWorker</name>
    <message>
        <source>Failed to install &apos;%1&apos; - &apos;%2&apos; package: %3</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; konnte nicht installiert werden: %3</translation>
    </message>
</context>
<context>
    <name>LmtLauncherServiceConnector</name>
    <message>
        <source>Received empty reply from KOR Launcher Service</source>
        <translation>Leere Antwort vom KOR-Launcher-Dienst erhalten</translation>
    </message>
    <message>
        <source>Cannot find kor-launcher-service executable expected at %1 - was it accidentally deleted? Please see on how to fix the corrupt installation and other issues in &lt;a href=&quot;%2&quot;&gt;Lumetra Setup User Guide&lt;/a&gt; and/or send log to the support team.</source>
        <translation>Das Programm kor-launcher-service wurde unter %1 nicht gefunden – wurde es versehentlich gelöscht? Wie Sie eine beschädigte Installation und andere Probleme beheben, lesen Sie im &lt;a href=&quot;%2&quot;&gt;Benutzerhandbuch von Lumetra Setup&lt;/a&gt;; senden Sie gegebenenfalls das Protokoll an das Support-Team.</translation>
    </message>
    <message>
        <source>Failed to start Launcher Service process</source>
        <translation>Der Prozess des Launcher-Dienstes konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Failed to discover Launcher Service port</source>
        <translation>Der Port des Launcher-Dienstes konnte nicht ermittelt werden</translation>
    </message>
    <message>
        <source>Launcher service reply does not have the expected format</source>
        <translation>Die Antwort des Launcher-Dienstes hat nicht das erwartete Format</translation>
    </message>
    <message>
        <source>Invalid credentials provided or error occurred during Single sign-on authentication</source>
        <translation>Ungültige Anmeldedaten oder Fehler bei der Authentifizierung per Single Sign-on</translation>
    </message>
    <message>
        <source>Launcher service reply does not have the expected JSON format</source>
        <translation>Die Antwort des Launcher-Dienstes hat nicht das erwartete JSON-Format</translation>
    </message>
    <message>
        <source>No tool version given to download</source>
        <translation>Keine Werkzeugversion zum Herunterladen angegeben</translation>
    </message>
    <message>
        <source>-kor.service &apos;checkUpdate %1&apos; command failed</source>
        <translation>Befehl -kor.service &apos;checkUpdate %1&apos; fehlgeschlagen</translation>
    </message>
    <message>
        <source>-kor.service &apos;checkUpdate&apos; command failed</source>
        <translation>Befehl -kor.service &apos;checkUpdate&apos; fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>LmtLocalRegistryParser</name>
    <message>
        <source>Cannot read the registry directory &apos;%1&apos;: %2</source>
        <translation>Das Registry-Verzeichnis &apos;%1&apos; kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Parse Local KOR Registry</source>
        <translation>Lokale KOR-Registry wird gelesen</translation>
    </message>
    <message>
        <source>The Zendrel tools registry file &apos;%1&apos; cannot be read: %2. The installation it records is not listed.</source>
        <translation>Die Registry-Datei der Zendrel-Werkzeuge &apos;%1&apos; kann nicht gelesen werden: %2. Die darin verzeichnete Installation wird nicht aufgeführt.</translation>
    </message>
    <message>
        <source>file does not contain a JSON object</source>
        <translation>die Datei enthält kein JSON-Objekt</translation>
    </message>
    <message>
        <source>Cannot parse JSON object version: %1</source>
        <translation>Die Version des JSON-Objekts kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The Zendrel tools registry file &apos;%1&apos; defines the &apos;%2&apos; installation path as &apos;%3&apos;, but the file doesn&apos;t exist on disk. Consider removing the registry file to get rid of this error.</source>
        <translation>Die Registry-Datei der Zendrel-Werkzeuge &apos;%1&apos; gibt als Installationspfad von &apos;%2&apos; &apos;%3&apos; an, aber die Datei ist auf dem Datenträger nicht vorhanden. Entfernen Sie die Registry-Datei, um diesen Fehler zu beheben.</translation>
    </message>
    <message>
        <source>Discovered installed tool &apos;%1&apos;, version %2</source>
        <translation>Installiertes Werkzeug gefunden: &apos;%1&apos;, Version %2</translation>
    </message>
</context>
<context>
    <name>LmtLoginManager</name>
    <message>
        <source>Logged in as %1</source>
        <translation>Angemeldet als %1</translation>
    </message>
    <message>
        <source>Logged in</source>
        <translation>Angemeldet</translation>
    </message>
    <message>
        <source>Logged out</source>
        <translation>Abgemeldet</translation>
    </message>
    <message>
        <source>Timeout occurred during login to myZendrel account. Check your network settings and restrictions (e.g. firewall). Make sure there is access to the networking resources needed for Lumetra Setup to work correctly. The full list can be found in the User Guide</source>
        <translation>Zeitüberschreitung bei der Anmeldung am myZendrel-Konto. Prüfen Sie Ihre Netzwerkeinstellungen und -beschränkungen (z. B. die Firewall). Stellen Sie sicher, dass die Netzwerkressourcen erreichbar sind, die Lumetra Setup benötigt. Die vollständige Liste finden Sie im Benutzerhandbuch</translation>
    </message>
</context>
<context>
    <name>LmtMainWindow</name>
    <message>
        <source>&lt; Please login to proceed</source>
        <translation>&lt; Bitte melden Sie sich an, um fortzufahren</translation>
    </message>
    <message>
        <source>The selected tool requires logging into myZendrel account. Do you want to initiate a new login session?</source>
        <translation>Für das ausgewählte Werkzeug ist eine Anmeldung am myZendrel-Konto erforderlich. Möchten Sie sich jetzt anmelden?</translation>
    </message>
    <message>
        <source>uninstallation</source>
        <translation>Deinstallation</translation>
    </message>
    <message>
        <source>installation</source>
        <translation>Installation</translation>
    </message>
    <message>
        <source>Do you really want to cancel the %1?
Note that tasks which have started will be completed.</source>
        <translation>Möchten Sie die %1 wirklich abbrechen?
Bereits begonnene Aufgaben werden noch abgeschlossen.</translation>
    </message>
    <message>
        <source>Login session is in progress ...</source>
        <translation>Anmeldung läuft ...</translation>
    </message>
    <message>
        <source>Logged in</source>
        <translation>Angemeldet</translation>
    </message>
    <message>
        <source>Logged in as %1</source>
        <translation>Angemeldet als %1</translation>
    </message>
    <message>
        <source>&lt;span style=&quot;color:red;&quot;&gt;Error: %1&lt;/span&gt;</source>
        <translation>&lt;span style=&quot;color:red;&quot;&gt;Fehler: %1&lt;/span&gt;</translation>
    </message>
    <message>
        <source>A new update of the Lumetra™ Setup is available: &apos;%1&apos;.
Do you want to download this update and install it after closing the application?</source>
        <translation>Eine neue Version von Lumetra™ Setup ist verfügbar: &apos;%1&apos;.
Möchten Sie diese Aktualisierung herunterladen und nach dem Beenden der Anwendung installieren?</translation>
    </message>
    <message>
        <source>Skipped update of the Lumetra™ Setup</source>
        <translation>Aktualisierung von Lumetra™ Setup übersprungen</translation>
    </message>
    <message>
        <source>No &quot;sudo&quot; password provided, skipping the installation</source>
        <translation>Kein „sudo“-Kennwort angegeben, die Installation wird übersprungen</translation>
    </message>
    <message>
        <source>Incorrect &quot;sudo&quot; password provided, skipping the installation</source>
        <translation>Falsches „sudo“-Kennwort angegeben, die Installation wird übersprungen</translation>
    </message>
    <message>
        <source>Cannot find &apos;docs&apos; folder in: %1</source>
        <translation>Ordner „docs“ nicht gefunden in: %1</translation>
    </message>
    <message>
        <source>Cannot find help file: %1</source>
        <translation>Hilfedatei nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Installation is in progress. The application cannot be closed.</source>
        <translation>Die Installation läuft. Die Anwendung kann nicht geschlossen werden.</translation>
    </message>
    <message>
        <source>Work is in progress. Do you really want to close the window?</source>
        <translation>Es wird noch gearbeitet. Möchten Sie das Fenster wirklich schließen?</translation>
    </message>
    <message>
        <source>Check for updates</source>
        <translation>Nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Login to Zendrel Developer Center services</source>
        <translation>Bei den Diensten des Zendrel Developer Center anmelden</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>Logout from Zendrel Developer Center services</source>
        <translation>Von den Diensten des Zendrel Developer Center abmelden</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Exit the application</source>
        <translation>Anwendung beenden</translation>
    </message>
    <message>
        <source>Alt+F4</source>
        <translation>Alt+F4</translation>
    </message>
    <message>
        <source>View Help</source>
        <translation>Hilfe anzeigen</translation>
    </message>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Refresh </source>
        <translation>Neu laden </translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <translation>Weiter &gt;</translation>
    </message>
    <message>
        <source>I agree to the licenses of packages I have selected</source>
        <translation>Ich stimme den Lizenzen der ausgewählten Pakete zu</translation>
    </message>
    <message>
        <source>&lt; Back</source>
        <translation>&lt; Zurück</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Fertigstellen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
</context>
<context>
    <name>LmtOnlineRegistryParser</name>
    <message>
        <source>Parse Online KOR Registry, url: %1</source>
        <translation>Online-KOR-Registry wird gelesen, URL: %1</translation>
    </message>
    <message>
        <source>Received empty reply from the remote KOR registry site</source>
        <translation>Leere Antwort vom Server der KOR-Registry erhalten</translation>
    </message>
    <message>
        <source>Error parsing JSON: &apos;%1&apos;</source>
        <translation>Fehler beim Lesen des JSON: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Error parsing JSON - invalid document format, network reply does not contain a JSON array</source>
        <translation>Fehler beim Lesen des JSON – ungültiges Dokumentformat, die Antwort aus dem Netzwerk enthält kein JSON-Array</translation>
    </message>
    <message>
        <source>Version &apos;%1&apos; already present in the Core Tool Model</source>
        <translation>Version &apos;%1&apos; ist im Werkzeugkatalog bereits vorhanden</translation>
    </message>
    <message>
        <source>Discovered available tool &apos;%1&apos;, version %2</source>
        <translation>Verfügbares Werkzeug gefunden: &apos;%1&apos;, Version %2</translation>
    </message>
</context>
<context>
    <name>LmtOnlineToolConfigRow</name>
    <message>
        <source>Note: the selected options require the ZR_TOOLS_PATHS variable to be set.&lt;br/&gt;Please refer to the %1 for more information</source>
        <translation>Hinweis: Für die gewählten Optionen muss die Variable ZR_TOOLS_PATHS gesetzt sein.&lt;br/&gt;Weitere Informationen finden Sie in der %1</translation>
    </message>
    <message>
        <source>Installation guide</source>
        <translation>Installationsanleitung</translation>
    </message>
</context>
<context>
    <name>LmtPrefsDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Update site URL:</source>
        <translation>URL der Update-Site:</translation>
    </message>
    <message>
        <source>Logs Directory</source>
        <translation>Protokollverzeichnis</translation>
    </message>
    <message>
        <source>Check for updates on start</source>
        <translation>Beim Start nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Select Logs Directory</source>
        <translation>Protokollverzeichnis auswählen</translation>
    </message>
    <message>
        <source>Unable to create logs in &apos;%1&apos;</source>
        <translation>In &apos;%1&apos; können keine Protokolle angelegt werden</translation>
    </message>
    <message>
        <source>The Logs directory &apos;%1&apos; does not exist</source>
        <translation>Das Protokollverzeichnis &apos;%1&apos; existiert nicht</translation>
    </message>
</context>
<context>
    <name>LmtProcessHandle</name>
    <message>
        <source>process failed to start</source>
        <translation>Prozess konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>process crashed %1</source>
        <translation>Prozess abgestürzt %1</translation>
    </message>
    <message>
        <source>child process exited with error code %1: %2</source>
        <translation>Kindprozess mit Fehlercode %1 beendet: %2</translation>
    </message>
</context>
<context>
    <name>LmtSetupController</name>
    <message>
        <source>Start Launcher Service</source>
        <translation>Launcher-Dienst wird gestartet</translation>
    </message>
    <message>
        <source>Failed to update tool list. Parsing of the Local Tools Registry failed: %1</source>
        <translation>Die Werkzeugliste konnte nicht aktualisiert werden. Das Lesen der lokalen Werkzeug-Registry ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Failed to get tool information. Parsing of the thirdparty Tool Registry failed: %1</source>
        <translation>Die Werkzeuginformationen konnten nicht abgerufen werden. Das Lesen der Registry der Drittanbieter-Werkzeuge ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Updated the tool list</source>
        <translation>Werkzeugliste aktualisiert</translation>
    </message>
    <message>
        <source>Access Token is not valid - Logging out ...</source>
        <translation>Das Zugriffstoken ist ungültig – Abmeldung ...</translation>
    </message>
    <message>
        <source>Failed to fetch tools information. Please restore network connection. In order to access already downloaded packages please go to your downloads directory (&lt;a href=&quot;%1%2&quot;&gt;%2&lt;/a&gt;). You can also download and install Lumetra Tools Package and other software by downloading them directly from &lt;a href=&quot;%3&quot;&gt;Lumetra Offline Installation webpage&lt;/a&gt;.</source>
        <translation>Die Werkzeuginformationen konnten nicht abgerufen werden. Bitte stellen Sie die Netzwerkverbindung wieder her. Bereits heruntergeladene Pakete finden Sie in Ihrem Download-Verzeichnis (&lt;a href=&quot;%1%2&quot;&gt;%2&lt;/a&gt;). Sie können das Lumetra Tools Package und weitere Software auch direkt von der &lt;a href=&quot;%3&quot;&gt;Webseite für die Offline-Installation von Lumetra&lt;/a&gt; herunterladen und installieren.</translation>
    </message>
    <message>
        <source>Failed to update tool list. Parsing of the Online Tools Registry failed: %1</source>
        <translation>Die Werkzeugliste konnte nicht aktualisiert werden. Das Lesen der Online-Werkzeug-Registry ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Failed to start Launcher Service: &apos;%1&apos;</source>
        <translation>Der Launcher-Dienst konnte nicht gestartet werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Failed to Login: &apos;%1&apos;</source>
        <translation>Anmeldung fehlgeschlagen: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Failed to start downloader : &apos;%1&apos;</source>
        <translation>Der Download konnte nicht gestartet werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Failed to stop downloader: &apos;%1&apos;</source>
        <translation>Der Download konnte nicht angehalten werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Checking for the Lumetra™ Setup update...</source>
        <translation>Es wird nach einer Aktualisierung von Lumetra™ Setup gesucht ...</translation>
    </message>
    <message>
        <source>Failed to check for the Lumetra™ Setup update: &apos;%1&apos;</source>
        <translation>Die Suche nach einer Aktualisierung von Lumetra™ Setup ist fehlgeschlagen: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Failed to download Lumetra™ Setup update: &apos;%1&apos;</source>
        <translation>Die Aktualisierung von Lumetra™ Setup konnte nicht heruntergeladen werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Failed to update Lumetra™ Setup: &apos;%1&apos;</source>
        <translation>Lumetra™ Setup konnte nicht aktualisiert werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Please make sure you are logged in.</source>
        <translation>Bitte stellen Sie sicher, dass Sie angemeldet sind.</translation>
    </message>
    <message>
        <source>Failed to get &apos;Release Notes&apos; or &apos;License&apos; data,
%1.
%2</source>
        <translation>Die Versionshinweise oder die Lizenz konnten nicht abgerufen werden,
%1.
%2</translation>
    </message>
</context>
<context>
    <name>LmtSetupSelfUpdater</name>
    <message>
        <source>Found new Lumetra™ Setup version: %1</source>
        <translation>Neue Version von Lumetra™ Setup gefunden: %1</translation>
    </message>
    <message>
        <source>You are using the latest version of Lumetra™ Setup.</source>
        <translation>Sie verwenden die neueste Version von Lumetra™ Setup.</translation>
    </message>
    <message>
        <source>Update download is already started</source>
        <translation>Der Download der Aktualisierung läuft bereits</translation>
    </message>
    <message>
        <source>Downloading Lumetra™ Setup update: %1</source>
        <translation>Aktualisierung von Lumetra™ Setup wird heruntergeladen: %1</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>Lumetra™ Setup update is downloaded. It will be installed once the application is closed.</source>
        <translation>Die Aktualisierung von Lumetra™ Setup ist heruntergeladen. Sie wird installiert, sobald die Anwendung geschlossen wird.</translation>
    </message>
    <message>
        <source>Failed to download Lumetra™ Setup update: &apos;%1&apos;</source>
        <translation>Die Aktualisierung von Lumetra™ Setup konnte nicht heruntergeladen werden: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Starting update of the Lumetra™ Setup</source>
        <translation>Aktualisierung von Lumetra™ Setup wird gestartet</translation>
    </message>
</context>
<context>
    <name>LmtToolConfigCell</name>
    <message>
        <source>Customize installation</source>
        <translation>Installation anpassen</translation>
    </message>
    <message>
        <source>Custom options</source>
        <translation>Angepasste Optionen</translation>
    </message>
    <message>
        <source>Default options</source>
        <translation>Standardoptionen</translation>
    </message>
</context>
<context>
    <name>LmtToolConfigDialog</name>
    <message>
        <source>The installation path is invalid.</source>
        <translation>Der Installationspfad ist ungültig.</translation>
    </message>
    <message>
        <source>The installation path cannot contain spaces.</source>
        <translation>Der Installationspfad darf keine Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Install only for current user</source>
        <translation>Nur für den aktuellen Benutzer installieren</translation>
    </message>
    <message>
        <source>Install for all users</source>
        <translation>Für alle Benutzer installieren</translation>
    </message>
    <message>
        <source>Customize Installation</source>
        <translation>Installation anpassen</translation>
    </message>
    <message>
        <source>Scope:</source>
        <translation>Geltungsbereich:</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Pfad:</translation>
    </message>
    <message>
        <source> (recommended)</source>
        <translation> (empfohlen)</translation>
    </message>
    <message>
        <source>Select Installation Directory</source>
        <translation>Installationsverzeichnis auswählen</translation>
    </message>
</context>
<context>
    <name>LmtToolConfigView</name>
    <message>
        <source>The following packages will be installed:</source>
        <translation>Die folgenden Pakete werden installiert:</translation>
    </message>
    <message>
        <source>The following packages will be updated:</source>
        <translation>Die folgenden Pakete werden aktualisiert:</translation>
    </message>
    <message>
        <source>The following packages will be uninstalled:</source>
        <translation>Die folgenden Pakete werden deinstalliert:</translation>
    </message>
</context>
<context>
    <name>LmtToolInstallModel</name>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installation</translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation>Deinstallation</translation>
    </message>
    <message>
        <source>Installing...</source>
        <translation>Wird installiert ...</translation>
    </message>
    <message>
        <source>Uninstalling...</source>
        <translation>Wird deinstalliert ...</translation>
    </message>
    <message>
        <source>Waiting for installation</source>
        <translation>Wartet auf Installation</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Waiting for download</source>
        <translation>Wartet auf Download</translation>
    </message>
    <message>
        <source>Waiting to uninstall</source>
        <translation>Wartet auf Deinstallation</translation>
    </message>
    <message>
        <source>Initiating download</source>
        <translation>Download wird vorbereitet</translation>
    </message>
    <message>
        <source>Downloading - %1%</source>
        <translation>Wird heruntergeladen – %1 %</translation>
    </message>
</context>
<context>
    <name>LmtToolInstallView</name>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>All tasks were completed successfully</source>
        <translation>Alle Aufgaben wurden erfolgreich abgeschlossen</translation>
    </message>
    <message>
        <source>Failed to complete all tasks</source>
        <translation>Nicht alle Aufgaben konnten abgeschlossen werden</translation>
    </message>
</context>
<context>
    <name>LmtToolLaunchView</name>
    <message>
        <source>Run %1</source>
        <translation>%1 ausführen</translation>
    </message>
    <message>
        <source>Setup has finished %1 the requested packages.</source>
        <translation>Setup hat das %1 der angeforderten Pakete abgeschlossen.</translation>
    </message>
    <message>
        <source>uninstalling</source>
        <translation>Deinstallieren</translation>
    </message>
    <message>
        <source>installing</source>
        <translation>Installieren</translation>
    </message>
</context>
<context>
    <name>LmtToolLinksCell</name>
    <message>
        <source>Release notes</source>
        <translation>Versionshinweise</translation>
    </message>
    <message>
        <source>Release Notes - %1 %2</source>
        <translation>Versionshinweise – %1 %2</translation>
    </message>
    <message>
        <source>Loading Release Notes data ...</source>
        <translation>Versionshinweise werden geladen ...</translation>
    </message>
    <message>
        <source>License</source>
        <translation>Lizenz</translation>
    </message>
    <message>
        <source>License - %1 %2</source>
        <translation>Lizenz – %1 %2</translation>
    </message>
    <message>
        <source>Loading License data ...</source>
        <translation>Lizenz wird geladen ...</translation>
    </message>
</context>
<context>
    <name>LmtToolLoadView</name>
    <message>
        <source>Failed to fetch tools information</source>
        <translation>Die Werkzeuginformationen konnten nicht abgerufen werden</translation>
    </message>
</context>
<context>
    <name>LmtToolSelectModel</name>
    <message>
        <source>%1 %2 has a dependency on the %3 %4 which is not installed</source>
        <translation>%1 %2 hängt von %3 %4 ab, das nicht installiert ist</translation>
    </message>
    <message>
        <source>%1 %2 has a dependency on the %3 which is not installed</source>
        <translation>%1 %2 hängt von %3 ab, das nicht installiert ist</translation>
    </message>
    <message>
        <source>%1 %2 has a dependency on the tool which is not installed.</source>
        <translation>%1 %2 hängt von einem Werkzeug ab, das nicht installiert ist.</translation>
    </message>
    <message>
        <source>%1 %2 will be uninstalled</source>
        <translation>%1 %2 wird deinstalliert</translation>
    </message>
    <message>
        <source>%1 %2 is installed at %3</source>
        <translation>%1 %2 ist installiert in %3</translation>
    </message>
    <message>
        <source>Select the check box to install %1 %2</source>
        <translation>Aktivieren Sie das Kontrollkästchen, um %1 %2 zu installieren</translation>
    </message>
    <message>
        <source>%1 %2 will be installed</source>
        <translation>%1 %2 wird installiert</translation>
    </message>
    <message>
        <source>%1 %2 will be installed at %3</source>
        <translation>%1 %2 wird installiert in %3</translation>
    </message>
    <message>
        <source>Dependencies will not be installed: %1. </source>
        <translation>Abhängigkeiten werden nicht installiert: %1. </translation>
    </message>
    <message>
        <source>Click &quot;Next&quot; to install. %1To download and install manually go to &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Klicken Sie auf „Weiter“, um zu installieren. %1Zum manuellen Herunterladen und Installieren gehen Sie zu &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Click &quot;Next&quot; to update. %1To download and install manually go to &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Klicken Sie auf „Weiter“, um zu aktualisieren. %1Zum manuellen Herunterladen und Installieren gehen Sie zu &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Click &quot;Next&quot; to downgrade. To download and install manually go to &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;</source>
        <translation>Klicken Sie auf „Weiter“, um herabzustufen. Zum manuellen Herunterladen und Installieren gehen Sie zu &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Will be uninstalled</source>
        <translation>Wird deinstalliert</translation>
    </message>
    <message>
        <source>Select the check box to install. To download and install manually go to &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;</source>
        <translation>Aktivieren Sie das Kontrollkästchen, um zu installieren. Zum manuellen Herunterladen und Installieren gehen Sie zu &lt;a href=&quot;%1&quot;&gt;%1&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Warning: &quot;%1&quot; extension(s) not installed in %2 version %3 installed at %4</source>
        <translation>Warnung: Erweiterung(en) „%1“ nicht installiert in %2 Version %3, installiert in %4</translation>
    </message>
    <message>
        <source>Download %1 by clicking &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;.</source>
        <translation>Laden Sie %1 über &lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt; herunter.</translation>
    </message>
    <message>
        <source>Download %1 from %2.</source>
        <translation>Laden Sie %1 von %2 herunter.</translation>
    </message>
    <message>
        <source> After installing, open %1 and install %2 extension(s).</source>
        <translation> Öffnen Sie nach der Installation %1 und installieren Sie die Erweiterung(en) %2.</translation>
    </message>
    <message>
        <source>Dependencies are not installed: %1. </source>
        <translation>Abhängigkeiten sind nicht installiert: %1. </translation>
    </message>
    <message>
        <source>%1Version %2 installed at %3</source>
        <translation>%1Version %2 installiert in %3</translation>
    </message>
    <message>
        <source>A newer version is already installed. Version %1 installed at %2.</source>
        <translation>Eine neuere Version ist bereits installiert. Version %1 installiert in %2.</translation>
    </message>
    <message>
        <source>Update available. Select the new version in the dropdown and select the check box to install. Version %1 installed at %2 will remain installed.</source>
        <translation>Aktualisierung verfügbar. Wählen Sie die neue Version in der Auswahlliste aus und aktivieren Sie das Kontrollkästchen, um sie zu installieren. Version %1, installiert in %2, bleibt installiert.</translation>
    </message>
    <message>
        <source>Update available. Select the new version in the dropdown and select the check box to install. Version %1 installed at %2 will be replaced with %3</source>
        <translation>Aktualisierung verfügbar. Wählen Sie die neue Version in der Auswahlliste aus und aktivieren Sie das Kontrollkästchen, um sie zu installieren. Version %1, installiert in %2, wird durch %3 ersetzt</translation>
    </message>
    <message>
        <source>There is a new major version available.</source>
        <translation>Eine neue Hauptversion ist verfügbar.</translation>
    </message>
    <message>
        <source>There is a new minor or patch version available.</source>
        <translation>Eine neue Neben- oder Patchversion ist verfügbar.</translation>
    </message>
</context>
<context>
    <name>LmtToolSelectRow</name>
    <message>
        <source>&apos;%1&apos; version %2 was selected for installation</source>
        <translation>&apos;%1&apos; Version %2 wurde zur Installation ausgewählt</translation>
    </message>
    <message>
        <source>Selected &apos;%1&apos; version %2</source>
        <translation>&apos;%1&apos; Version %2 ausgewählt</translation>
    </message>
    <message>
        <source>Unselected &apos;%1&apos; version %2</source>
        <translation>Auswahl von &apos;%1&apos; Version %2 aufgehoben</translation>
    </message>
    <message>
        <source>&apos;%1&apos; version %2 was selected for uninstallation</source>
        <translation>&apos;%1&apos; Version %2 wurde zur Deinstallation ausgewählt</translation>
    </message>
</context>
<context>
    <name>LmtToolSelectView</name>
    <message>
        <source>Base Packages</source>
        <translation>Basispakete</translation>
    </message>
    <message>
        <source>Additional Packages</source>
        <translation>Zusatzpakete</translation>
    </message>
    <message>
        <source>Check Lumetra™ Software landing page for offline installation packages</source>
        <translation>Pakete für die Offline-Installation finden Sie auf der Startseite der Lumetra™-Software</translation>
    </message>
    <message>
        <source>&apos;%1&apos; %2 has a dependency on the &apos;%3&apos; %4 which is not installed</source>
        <translation>&apos;%1&apos; %2 hängt von &apos;%3&apos; %4 ab, das nicht installiert ist</translation>
    </message>
    <message>
        <source>&apos;%1&apos; %2 has a dependency on the %3 which is not installed</source>
        <translation>&apos;%1&apos; %2 hängt von %3 ab, das nicht installiert ist</translation>
    </message>
    <message>
        <source>&apos;%1&apos; %2 has a dependency on the tool which is not installed.</source>
        <translation>&apos;%1&apos; %2 hängt von einem Werkzeug ab, das nicht installiert ist.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; version %2 has a dependency on &apos;%3&apos; version %4</source>
        <translation>&apos;%1&apos; Version %2 hängt von &apos;%3&apos; Version %4 ab</translation>
    </message>
    <message>
        <source>By deselecting this check box, you will uninstall &apos;%1 %2&apos; if you proceed to the next step.</source>
        <translation>Wenn Sie dieses Kontrollkästchen deaktivieren und zum nächsten Schritt wechseln, wird &apos;%1 %2&apos; deinstalliert.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Fortfahren</translation>
    </message>
</context>
<context>
    <name>LmtUninstaller</name>
    <message>
        <source>Uninstaller is already running.</source>
        <translation>Die Deinstallation läuft bereits.</translation>
    </message>
    <message>
        <source>Started an uninstallation of &apos;%1&apos; - &apos;%2&apos; package</source>
        <translation>Deinstallation des Pakets &apos;%1&apos; – &apos;%2&apos; gestartet</translation>
    </message>
    <message>
        <source>Successfully uninstalled package &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; erfolgreich deinstalliert</translation>
    </message>
    <message>
        <source>Failed to uninstall &apos;%1&apos; - &apos;%2&apos; package: %3</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; konnte nicht deinstalliert werden: %3</translation>
    </message>
</context>
<context>
    <name>LmtUninstallerWorker</name>
    <message>
        <source>Failed to uninstall &apos;%1&apos; - &apos;%2&apos; package: %3</source>
        <translation>Paket &apos;%1&apos; – &apos;%2&apos; konnte nicht deinstalliert werden: %3</translation>
    </message>
    <message>
        <source>Cancelled an uninstallation of the &apos;%1&apos; - &apos;%2&apos;</source>
        <translation>Deinstallation von &apos;%1&apos; – &apos;%2&apos; abgebrochen</translation>
    </message>
</context>
<context>
    <name>Runner</name>
    <message>
        <source>command &apos;%1&apos;, directory &apos;%2&apos; - failed to start</source>
        <translation>Befehl &apos;%1&apos;, Verzeichnis &apos;%2&apos; – Start fehlgeschlagen</translation>
    </message>
    <message>
        <source>command &apos;%1&apos;, directory &apos;%2&apos; - %3</source>
        <translation>Befehl &apos;%1&apos;, Verzeichnis &apos;%2&apos; – %3</translation>
    </message>
    <message>
        <source>child program timed out</source>
        <translation>Zeitüberschreitung des Kindprogramms</translation>
    </message>
    <message>
        <source>command &apos;%1&apos;, directory &apos;%2&apos; - process crashed</source>
        <translation>Befehl &apos;%1&apos;, Verzeichnis &apos;%2&apos; – Prozess abgestürzt</translation>
    </message>
    <message>
        <source>command &apos;%1&apos;
  directory &apos;%2&apos;
  child process exited with error code %3</source>
        <translation>Befehl &apos;%1&apos;
  Verzeichnis &apos;%2&apos;
  Kindprozess mit Fehlercode %3 beendet</translation>
    </message>
    <message>
        <source>the command &apos;%1&apos;, directory &apos;%2&apos; - child program failed to start</source>
        <translation>Befehl &apos;%1&apos;, Verzeichnis &apos;%2&apos; – das Kindprogramm konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>child program crashed</source>
        <translation>Kindprogramm abgestürzt</translation>
    </message>
    <message>
        <source>child program read error from stdout/stderr</source>
        <translation>Kindprogramm: Lesefehler auf stdout/stderr</translation>
    </message>
    <message>
        <source>child program write to stdin error</source>
        <translation>Kindprogramm: Schreibfehler auf stdin</translation>
    </message>
    <message>
        <source>child program unknown error</source>
        <translation>Kindprogramm: unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>StatusConsole</name>
    <message>
        <source>Clear All</source>
        <translation>Alles löschen</translation>
    </message>
    <message>
        <source>WARNING:</source>
        <translation>WARNUNG:</translation>
    </message>
    <message>
        <source>ERROR:</source>
        <translation>FEHLER:</translation>
    </message>
</context>
<context>
    <name>ThirdPartyEditorWidget</name>
    <message>
        <source>Open %1</source>
        <translation>%1 öffnen</translation>
    </message>
</context>
</TS>
