<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Bobbinlark</source>
        <translation>Über Bobbinlark</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Sends embroidery designs to Brother embroidery machines on your network.</source>
        <translation>Sendet Stickdesigns an Brother-Stickmaschinen in Ihrem Netzwerk.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Bobbinlark beenden</translation>
    </message>
    <message>
        <source>About Bobbinlark</source>
        <translation>Über Bobbinlark</translation>
    </message>
    <message>
        <source>Open Bobbinlark</source>
        <translation>Bobbinlark öffnen</translation>
    </message>
    <message>
        <source>Sending %1…</source>
        <translation>%1 wird gesendet&#xa0;…</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Keine Maschine eingerichtet</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <translation>%1 · Bereit</translation>
    </message>
    <message>
        <source>%1 · Not answering</source>
        <translation>%1 · Antwortet nicht</translation>
    </message>
    <message>
        <source>%1 · Checking…</source>
        <translation>%1 · Wird geprüft&#xa0;…</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Designs zum Senden an %1 ablegen</translation>
    </message>
</context>
<context>
    <name>BatchNotice</name>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>%1 an %2 gesendet</translation>
    </message>
    <message>
        <source>Not everything was sent</source>
        <translation>Nicht alles wurde gesendet</translation>
    </message>
    <message>
        <source>Couldn&apos;t send %1</source>
        <translation>%1 konnte nicht gesendet werden</translation>
    </message>
    <message numerus="yes">
        <source>Couldn&apos;t send %1 and %n more</source>
        <comment>%1 is a file name</comment>
        <translation>
            <numerusform>%1 und %n weiteres Design konnten nicht gesendet werden</numerusform>
            <numerusform>%1 und %n weitere Designs konnten nicht gesendet werden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BrotherAPIError</name>
    <message>
        <source>This design is too large to send. The machine accepts up to %1.</source>
        <translation>Dieses Design ist zu groß zum Senden. Die Maschine nimmt höchstens %1 an.</translation>
    </message>
    <message>
        <source>The machine refused the design (status %1). If it&apos;s full, retrieve the waiting designs on the machine, or turn it off and on to empty its wireless pocket.</source>
        <translation>Die Maschine hat das Design abgelehnt (Status %1). Falls sie voll ist, rufen Sie die wartenden Designs an der Maschine ab oder schalten Sie sie aus und wieder ein, um ihre WLAN-Tasche zu leeren.</translation>
    </message>
    <message>
        <source>Couldn&apos;t reach the machine. Make sure it&apos;s on and connected to Wi-Fi, then try again.</source>
        <translation>Die Maschine ist nicht erreichbar. Stellen Sie sicher, dass sie eingeschaltet und mit dem WLAN verbunden ist, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The design was sent, but the machine didn&apos;t answer. It may have received it: check its wireless pocket before sending it again.</source>
        <translation>Das Design wurde gesendet, aber die Maschine hat nicht geantwortet. Vielleicht hat sie es trotzdem erhalten: Prüfen Sie ihre WLAN-Tasche, bevor Sie es erneut senden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read the design while sending it, so the machine didn&apos;t receive all of it. Check the file and send it again.</source>
        <translation>Das Design konnte beim Senden nicht gelesen werden, deshalb hat die Maschine es nicht vollständig erhalten. Prüfen Sie die Datei und senden Sie es erneut.</translation>
    </message>
</context>
<context>
    <name>ByteCountFormat</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 TB</source>
        <translation>%1 TB</translation>
    </message>
    <message>
        <source>%1 PB</source>
        <translation>%1 PB</translation>
    </message>
    <message>
        <source>%1 EB</source>
        <translation>%1 EB</translation>
    </message>
    <message>
        <source>Zero KB</source>
        <translation>0 KB</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CloseButton</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ConfirmationSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>DesignFile</name>
    <message>
        <source>This design is too large to send. Bobbinlark sends designs of up to %1.</source>
        <translation>Dieses Design ist zu groß zum Senden. Bobbinlark sendet Designs bis %1.</translation>
    </message>
</context>
<context>
    <name>DesignFileChooser</name>
    <message>
        <source>Choose Designs to Send</source>
        <translation>Designs zum Senden auswählen</translation>
    </message>
    <message>
        <source>Embroidery designs</source>
        <translation>Stickdesigns</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>DiscoveredRow</name>
    <message>
        <source>Add</source>
        <comment>adds a found machine</comment>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Brother machine</source>
        <translation>Brother-Maschine</translation>
    </message>
</context>
<context>
    <name>DropZone</name>
    <message>
        <source>Sending %1…</source>
        <translation>%1 wird gesendet&#xa0;…</translation>
    </message>
    <message>
        <source>Release to send</source>
        <translation>Zum Senden loslassen</translation>
    </message>
    <message>
        <source>to %1</source>
        <comment>under &quot;Release to send&quot;: the machine&apos;s name</comment>
        <translation>an %1</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Designs zum Senden an %1 ablegen</translation>
    </message>
    <message>
        <source>Drop designs here</source>
        <translation>Designs hier ablegen</translation>
    </message>
    <message>
        <source>Set up your machine above first.</source>
        <translation>Richten Sie zuerst oben Ihre Maschine ein.</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <comment>the file being sent, of the files in the batch</comment>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>%1 an %2 gesendet</translation>
    </message>
    <message>
        <source>On the machine, open the pattern retrieve screen and pick the wireless pocket.</source>
        <translation>Öffnen Sie an der Maschine den Bildschirm zum Abrufen von Mustern und wählen Sie die WLAN-Tasche.</translation>
    </message>
    <message>
        <source>Press Space or Return, or click, to choose design files to send.</source>
        <translation>Drücken Sie die Leertaste oder die Eingabetaste oder klicken Sie, um Designdateien zum Senden auszuwählen.</translation>
    </message>
</context>
<context>
    <name>DropZonePages</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MachineBar</name>
    <message>
        <source>Choose or manage machines</source>
        <translation>Maschinen auswählen oder verwalten</translation>
    </message>
    <message>
        <source>Use This Machine</source>
        <translation>Diese Maschine verwenden</translation>
    </message>
    <message>
        <source>Set Up…</source>
        <translation>Einrichten&#xa0;…</translation>
    </message>
    <message>
        <source>%1 · Found at a new address</source>
        <translation>%1 · Unter neuer Adresse gefunden</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · Bereit</translation>
    </message>
    <message>
        <source>Not answering · Looking on the network…</source>
        <translation>Antwortet nicht · Suche im Netzwerk&#xa0;…</translation>
    </message>
    <message>
        <source>Not answering at %1</source>
        <translation>Antwortet nicht unter %1</translation>
    </message>
    <message>
        <source>Found %1</source>
        <comment>a machine&apos;s name</comment>
        <translation>%1 gefunden</translation>
    </message>
    <message>
        <source>Found a Brother machine</source>
        <translation>Brother-Maschine gefunden</translation>
    </message>
    <message>
        <source>Looking for your machine…</source>
        <translation>Ihre Maschine wird gesucht&#xa0;…</translation>
    </message>
    <message>
        <source>No machine found on this network</source>
        <translation>Keine Maschine in diesem Netzwerk gefunden</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Keine Maschine eingerichtet</translation>
    </message>
</context>
<context>
    <name>MachineEditView</name>
    <message>
        <source>No machine answered at this address. Check the IP, and that the machine is on with wireless LAN enabled.</source>
        <translation>Unter dieser Adresse hat keine Maschine geantwortet. Prüfen Sie die IP-Adresse und ob die Maschine eingeschaltet und WLAN aktiviert ist.</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Maschine bearbeiten</translation>
    </message>
    <message>
        <source>Add Machine</source>
        <translation>Maschine hinzufügen</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.50</source>
        <translation>z. B. 192.168.1.50</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Find the IP address in the machine&apos;s wireless LAN settings.</source>
        <translation>Die IP-Adresse finden Sie in den WLAN-Einstellungen der Maschine.</translation>
    </message>
    <message>
        <source>My machine</source>
        <translation>Meine Maschine</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Optional</source>
        <translation>Optional</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Test Connection</source>
        <translation>Verbindung testen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Serial %1</source>
        <translation>Seriennr. %1</translation>
    </message>
    <message>
        <source>Not tested yet</source>
        <translation>Noch nicht getestet</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbindung wird hergestellt&#xa0;…</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>Verbunden mit %1</translation>
    </message>
    <message>
        <source>Connected to the machine</source>
        <translation>Mit der Maschine verbunden</translation>
    </message>
</context>
<context>
    <name>MachineInfo</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>the embroidery area&apos;s width and height</comment>
        <translation>%1 × %2 mm</translation>
    </message>
</context>
<context>
    <name>MachineInfoView</name>
    <message>
        <source>The machine isn&apos;t answering. Make sure it&apos;s on, with wireless LAN enabled, on the same network as this computer.</source>
        <translation>Die Maschine antwortet nicht. Stellen Sie sicher, dass sie eingeschaltet ist, WLAN aktiviert hat und sich im selben Netzwerk wie dieser Computer befindet.</translation>
    </message>
    <message>
        <source>The machine is now presenting a different certificate. That&apos;s expected after a firmware update or reset; otherwise another device may be using this address.</source>
        <translation>Die Maschine legt jetzt ein anderes Zertifikat vor. Nach einem Firmware-Update oder Zurücksetzen ist das normal; andernfalls verwendet möglicherweise ein anderes Gerät diese Adresse.</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Maschine bearbeiten</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Reported by the Machine</source>
        <translation>Von der Maschine gemeldet</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Embroidery area</source>
        <translation>Stickbereich</translation>
    </message>
    <message>
        <source>Needles</source>
        <translation>Nadeln</translation>
    </message>
    <message>
        <source>Largest design</source>
        <translation>Max. Dateigröße</translation>
    </message>
    <message>
        <source>Certificate (SHA-256)</source>
        <translation>Zertifikat (SHA-256)</translation>
    </message>
    <message>
        <source>Trust New Certificate</source>
        <translation>Neuem Zertifikat vertrauen</translation>
    </message>
</context>
<context>
    <name>MachineMonitor</name>
    <message>
        <source>Brother machine</source>
        <comment>the name of a found machine that reports none</comment>
        <translation>Brother-Maschine</translation>
    </message>
    <message>
        <source>Couldn&apos;t scan the network. Make sure you&apos;re connected to Wi-Fi or Ethernet.</source>
        <translation>Das Netzwerk konnte nicht durchsucht werden. Stellen Sie sicher, dass Sie mit WLAN oder Ethernet verbunden sind.</translation>
    </message>
</context>
<context>
    <name>MachineRow</name>
    <message>
        <source>Machine Info</source>
        <translation>Maschineninfo</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>Bearbeiten&#xa0;…</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Remove…</source>
        <translation>Entfernen&#xa0;…</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>Wird geprüft&#xa0;…</translation>
    </message>
    <message>
        <source>Reachable</source>
        <translation>Erreichbar</translation>
    </message>
    <message>
        <source>Unreachable</source>
        <translation>Nicht erreichbar</translation>
    </message>
    <message>
        <source>Not checked</source>
        <translation>Nicht geprüft</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Send designs to %1</source>
        <translation>Designs an %1 senden</translation>
    </message>
    <message>
        <source>Actions for %1</source>
        <translation>Aktionen für %1</translation>
    </message>
</context>
<context>
    <name>MachinesView</name>
    <message>
        <source>No machines found. Make sure the machine is on and its wireless LAN is enabled, or add it by the IP address shown in its wireless LAN settings.</source>
        <translation>Keine Maschinen gefunden. Stellen Sie sicher, dass die Maschine eingeschaltet und ihr WLAN aktiviert ist, oder fügen Sie sie über die IP-Adresse aus ihren WLAN-Einstellungen hinzu.</translation>
    </message>
    <message>
        <source>Machines</source>
        <translation>Maschinen</translation>
    </message>
    <message>
        <source>Saved</source>
        <comment>the saved machines</comment>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>On This Network</source>
        <translation>In diesem Netzwerk</translation>
    </message>
    <message>
        <source>Scanning your network…</source>
        <translation>Netzwerk wird durchsucht&#xa0;…</translation>
    </message>
    <message>
        <source>Scan Network</source>
        <translation>Netzwerk durchsuchen</translation>
    </message>
    <message>
        <source>Add by Address…</source>
        <translation>Über Adresse hinzufügen&#xa0;…</translation>
    </message>
    <message>
        <source>No other machines found.</source>
        <translation>Keine weiteren Maschinen gefunden.</translation>
    </message>
    <message>
        <source>Remove this machine?</source>
        <translation>Diese Maschine entfernen?</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1 entfernen</translation>
    </message>
</context>
<context>
    <name>MainScreen</name>
    <message>
        <source>Machines…</source>
        <translation>Maschinen&#xa0;…</translation>
    </message>
    <message>
        <source>Add Machine…</source>
        <translation>Maschine hinzufügen&#xa0;…</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Bei Anmeldung starten</translation>
    </message>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Bobbinlark beenden</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>RecentSendCard</name>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Send Again</source>
        <translation>Erneut senden</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner anzeigen</translation>
    </message>
    <message>
        <source>No file manager to show it in</source>
        <translation>Kein Dateimanager zum Anzeigen vorhanden</translation>
    </message>
    <message>
        <source>Remove from Recents</source>
        <translation>Aus der Liste entfernen</translation>
    </message>
    <message>
        <source>File moved or deleted</source>
        <translation>Datei verschoben oder gelöscht</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <comment>followed by &quot; · &quot; and the time</comment>
        <translation>An %1 gesendet</translation>
    </message>
    <message>
        <source>%1 · %2 · %3</source>
        <comment>a design&apos;s size, stitches and colours</comment>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message numerus="yes">
        <source>%n stitches</source>
        <translation>
            <numerusform>%n Stich</numerusform>
            <numerusform>%n Stiche</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n colours</source>
        <translation>
            <numerusform>%n Farbe</numerusform>
            <numerusform>%n Farben</numerusform>
        </translation>
    </message>
    <message>
        <source>Drag onto the drop zone to send %1 again</source>
        <translation>Auf den Ablagebereich ziehen, um %1 erneut zu senden</translation>
    </message>
</context>
<context>
    <name>RecentSends</name>
    <message>
        <source>Bobbinlark stopped while sending this design. The machine may have received it: check its wireless pocket before sending it again.</source>
        <translation>Bobbinlark wurde beendet, während dieses Design gesendet wurde. Die Maschine hat es möglicherweise erhalten: Prüfen Sie ihre WLAN-Tasche, bevor Sie es erneut senden.</translation>
    </message>
</context>
<context>
    <name>RecentSendsView</name>
    <message>
        <source>Recent</source>
        <comment>the recent sends</comment>
        <translation>Zuletzt gesendet</translation>
    </message>
    <message>
        <source>Drag onto the drop zone to resend</source>
        <translation>Zum erneuten Senden auf den Ablagebereich ziehen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Designs you send appear here.</source>
        <translation>Gesendete Designs werden hier angezeigt.</translation>
    </message>
</context>
<context>
    <name>ScreenHeader</name>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
</context>
<context>
    <name>SendQueue</name>
    <message>
        <source>Couldn&apos;t read %1.</source>
        <translation>%1 konnte nicht gelesen werden.</translation>
    </message>
    <message numerus="yes">
        <source>This file can&apos;t be sent. The machine reads %1 files.</source>
        <comment>%1 lists the extensions: .pes, .phc, .dst or .pen</comment>
        <translation>
            <numerusform>Diese Datei kann nicht gesendet werden. Die Maschine liest Dateien im Format %1.</numerusform>
            <numerusform>Diese Dateien können nicht gesendet werden. Die Maschine liest Dateien im Format %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Add a machine first, then drop a design to send it.</source>
        <translation>Fügen Sie zuerst eine Maschine hinzu und legen Sie dann ein Design ab, um es zu senden.</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped (not %1)</source>
        <comment>%1 lists the extensions</comment>
        <translation>
            <numerusform>%n Datei übersprungen (nicht %1)</numerusform>
            <numerusform>%n Dateien übersprungen (nicht %1)</numerusform>
        </translation>
    </message>
    <message>
        <source>Couldn&apos;t read %1: its disk did not answer.</source>
        <translation>%1 konnte nicht gelesen werden: Der Datenträger antwortet nicht.</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <translation>An %1 gesendet</translation>
    </message>
    <message>
        <source>Sent %1 of %2. %3</source>
        <comment>%3 says what went wrong</comment>
        <translation>%1 von %2 gesendet. %3</translation>
    </message>
    <message numerus="yes">
        <source>%n designs</source>
        <translation>
            <numerusform>%n Design</numerusform>
            <numerusform>%n Designs</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ServicesProvider</name>
    <message>
        <source>No files to send.</source>
        <translation>Keine Dateien zum Senden.</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Couldn&apos;t use your settings: %1 is not a regular file.</source>
        <translation>Ihre Einstellungen konnten nicht verwendet werden: %1 ist keine reguläre Datei.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 cannot be reached.</source>
        <translation>Ihre Einstellungen konnten nicht verwendet werden: %1 ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 is in the way.</source>
        <translation>Ihre Einstellungen konnten nicht verwendet werden: %1 steht im Weg.</translation>
    </message>
</context>
<context>
    <name>SizeWarning</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>a design&apos;s width and height</comment>
        <translation>%1 × %2 mm</translation>
    </message>
    <message>
        <source>%1 is %2, larger than %3&apos;s %4 area.</source>
        <comment>file name, design size, machine name, embroidery area</comment>
        <translation>%1 misst %2 und ist damit größer als der Stickbereich von %3 (%4).</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weiteres</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StateStore</name>
    <message>
        <source>Bobbinlark couldn&apos;t save your last changes when it quit, as another program was writing your settings. They were kept and are saved now.</source>
        <translation>Bobbinlark konnte Ihre letzten Änderungen beim Beenden nicht speichern, weil ein anderes Programm Ihre Einstellungen schrieb. Sie wurden aufbewahrt und sind jetzt gespeichert.</translation>
    </message>
</context>
<context>
    <name>StitchFileTypes</name>
    <message>
        <source>%1 or %2</source>
        <comment>the end of a list: &quot;.pes, .phc, .dst or .pen&quot;</comment>
        <translation>%1 oder %2</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between items of a list</comment>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>StoreLock</name>
    <message>
        <source>Couldn&apos;t save your settings: %1 cannot be written.</source>
        <translation>Ihre Einstellungen konnten nicht gespeichert werden: %1 ist nicht beschreibbar.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings: another program kept them busy. Try again.</source>
        <translation>Ihre Einstellungen konnten nicht gespeichert werden: Ein anderes Programm hat sie blockiert. Versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings to %1.</source>
        <translation>Ihre Einstellungen konnten nicht in %1 gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Design files to send to the selected machine.</source>
        <translation>Designdateien, die an die ausgewählte Maschine gesendet werden.</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[DATEI...]</translation>
    </message>
</context>
</TS>
