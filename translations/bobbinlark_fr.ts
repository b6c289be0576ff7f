<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Bobbinlark</source>
        <translation>À propos de Bobbinlark</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Sends embroidery designs to Brother embroidery machines on your network.</source>
        <translation>Envoie des motifs de broderie aux machines à broder Brother de votre réseau.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Quitter Bobbinlark</translation>
    </message>
    <message>
        <source>About Bobbinlark</source>
        <translation>À propos de Bobbinlark</translation>
    </message>
    <message>
        <source>Open Bobbinlark</source>
        <translation>Ouvrir Bobbinlark</translation>
    </message>
    <message>
        <source>Sending %1…</source>
        <translation>Envoi de %1…</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Aucune machine configurée</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <translation>%1 · Prête</translation>
    </message>
    <message>
        <source>%1 · Not answering</source>
        <translation>%1 · Ne répond pas</translation>
    </message>
    <message>
        <source>%1 · Checking…</source>
        <translation>%1 · Vérification…</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Déposez les motifs à envoyer à %1</translation>
    </message>
</context>
<context>
    <name>BatchNotice</name>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>Envoyé à %2&#xa0;: %1</translation>
    </message>
    <message>
        <source>Not everything was sent</source>
        <translation>Tout n’a pas été envoyé</translation>
    </message>
    <message>
        <source>Couldn&apos;t send %1</source>
        <translation>Impossible d’envoyer %1</translation>
    </message>
    <message numerus="yes">
        <source>Couldn&apos;t send %1 and %n more</source>
        <comment>%1 is a file name</comment>
        <translation>
            <numerusform>Impossible d’envoyer %1 et %n autre</numerusform>
            <numerusform>Impossible d’envoyer %1 et %n autres</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BrotherAPIError</name>
    <message>
        <source>This design is too large to send. The machine accepts up to %1.</source>
        <translation>Ce motif est trop volumineux pour être envoyé. La machine accepte jusqu&apos;à %1.</translation>
    </message>
    <message>
        <source>The machine refused the design (status %1). If it&apos;s full, retrieve the waiting designs on the machine, or turn it off and on to empty its wireless pocket.</source>
        <translation>La machine a refusé le motif (statut %1). Si elle est pleine, récupérez les motifs en attente sur la machine, ou éteignez-la puis rallumez-la pour vider sa poche sans fil.</translation>
    </message>
    <message>
        <source>Couldn&apos;t reach the machine. Make sure it&apos;s on and connected to Wi-Fi, then try again.</source>
        <translation>Impossible de joindre la machine. Vérifiez qu&apos;elle est allumée et connectée au Wi-Fi, puis réessayez.</translation>
    </message>
    <message>
        <source>The design was sent, but the machine didn&apos;t answer. It may have received it: check its wireless pocket before sending it again.</source>
        <translation>Le motif a été envoyé, mais la machine n&apos;a pas répondu. Elle l&apos;a peut-être reçu&#xa0;: vérifiez sa poche sans fil avant de le renvoyer.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read the design while sending it, so the machine didn&apos;t receive all of it. Check the file and send it again.</source>
        <translation>Impossible de lire le motif pendant son envoi : la machine ne l’a pas reçu en entier. Vérifiez le fichier et envoyez-le à nouveau.</translation>
    </message>
</context>
<context>
    <name>ByteCountFormat</name>
    <message>
        <source>%1 KB</source>
        <translation>%1&#xa0;Ko</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1&#xa0;Mo</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1&#xa0;Go</translation>
    </message>
    <message>
        <source>%1 TB</source>
        <translation>%1&#xa0;To</translation>
    </message>
    <message>
        <source>%1 PB</source>
        <translation>%1&#xa0;Po</translation>
    </message>
    <message>
        <source>%1 EB</source>
        <translation>%1&#xa0;Eo</translation>
    </message>
    <message>
        <source>Zero KB</source>
        <translation>0&#xa0;Ko</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n&#xa0;octet</numerusform>
            <numerusform>%n&#xa0;octets</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CloseButton</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>ConfirmationSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>DesignFile</name>
    <message>
        <source>This design is too large to send. Bobbinlark sends designs of up to %1.</source>
        <translation>Ce motif est trop volumineux pour être envoyé. Bobbinlark envoie des motifs jusqu&apos;à %1.</translation>
    </message>
</context>
<context>
    <name>DesignFileChooser</name>
    <message>
        <source>Choose Designs to Send</source>
        <translation>Choisir les motifs à envoyer</translation>
    </message>
    <message>
        <source>Embroidery designs</source>
        <translation>Motifs de broderie</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Show</source>
        <translation>Afficher</translation>
    </message>
</context>
<context>
    <name>DiscoveredRow</name>
    <message>
        <source>Add</source>
        <comment>adds a found machine</comment>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Brother machine</source>
        <translation>Machine Brother</translation>
    </message>
</context>
<context>
    <name>DropZone</name>
    <message>
        <source>Sending %1…</source>
        <translation>Envoi de %1…</translation>
    </message>
    <message>
        <source>Release to send</source>
        <translation>Relâchez pour envoyer</translation>
    </message>
    <message>
        <source>to %1</source>
        <comment>under &quot;Release to send&quot;: the machine&apos;s name</comment>
        <translation>vers %1</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Déposez les motifs à envoyer à %1</translation>
    </message>
    <message>
        <source>Drop designs here</source>
        <translation>Déposez les motifs ici</translation>
    </message>
    <message>
        <source>Set up your machine above first.</source>
        <translation>Configurez d&apos;abord votre machine ci-dessus.</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <comment>the file being sent, of the files in the batch</comment>
        <translation>%1 sur %2</translation>
    </message>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>Envoyé à %2&#xa0;: %1</translation>
    </message>
    <message>
        <source>On the machine, open the pattern retrieve screen and pick the wireless pocket.</source>
        <translation>Sur la machine, ouvrez l&apos;écran de rappel des motifs et choisissez la poche sans fil.</translation>
    </message>
    <message>
        <source>Press Space or Return, or click, to choose design files to send.</source>
        <translation>Appuyez sur Espace ou Entrée, ou cliquez, pour choisir les fichiers de motifs à envoyer.</translation>
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
        <translation>Choisir ou gérer les machines</translation>
    </message>
    <message>
        <source>Use This Machine</source>
        <translation>Utiliser cette machine</translation>
    </message>
    <message>
        <source>Set Up…</source>
        <translation>Configurer…</translation>
    </message>
    <message>
        <source>%1 · Found at a new address</source>
        <translation>%1 · Trouvée à une nouvelle adresse</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · Prête</translation>
    </message>
    <message>
        <source>Not answering · Looking on the network…</source>
        <translation>Ne répond pas · Recherche sur le réseau…</translation>
    </message>
    <message>
        <source>Not answering at %1</source>
        <translation>Ne répond pas à l&apos;adresse %1</translation>
    </message>
    <message>
        <source>Found %1</source>
        <comment>a machine&apos;s name</comment>
        <translation>Machine trouvée&#xa0;: %1</translation>
    </message>
    <message>
        <source>Found a Brother machine</source>
        <translation>Machine Brother trouvée</translation>
    </message>
    <message>
        <source>Looking for your machine…</source>
        <translation>Recherche de votre machine…</translation>
    </message>
    <message>
        <source>No machine found on this network</source>
        <translation>Aucune machine trouvée sur ce réseau</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Aucune machine configurée</translation>
    </message>
</context>
<context>
    <name>MachineEditView</name>
    <message>
        <source>No machine answered at this address. Check the IP, and that the machine is on with wireless LAN enabled.</source>
        <translation>Aucune machine n&apos;a répondu à cette adresse. Vérifiez l&apos;adresse IP, et que la machine est allumée avec le réseau sans fil activé.</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Modifier la machine</translation>
    </message>
    <message>
        <source>Add Machine</source>
        <translation>Ajouter une machine</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.50</source>
        <translation>p.&#xa0;ex. 192.168.1.50</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>Adresse IP</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Find the IP address in the machine&apos;s wireless LAN settings.</source>
        <translation>Vous trouverez l&apos;adresse IP dans les réglages du réseau sans fil de la machine.</translation>
    </message>
    <message>
        <source>My machine</source>
        <translation>Ma machine</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Optional</source>
        <translation>Facultatif</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Test Connection</source>
        <translation>Tester la connexion</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Serial %1</source>
        <translation>N° de série %1</translation>
    </message>
    <message>
        <source>Not tested yet</source>
        <translation>Connexion pas encore testée</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Connexion…</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>Connecté à %1</translation>
    </message>
    <message>
        <source>Connected to the machine</source>
        <translation>Connecté à la machine</translation>
    </message>
</context>
<context>
    <name>MachineInfo</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>the embroidery area&apos;s width and height</comment>
        <translation>%1 × %2&#xa0;mm</translation>
    </message>
</context>
<context>
    <name>MachineInfoView</name>
    <message>
        <source>The machine isn&apos;t answering. Make sure it&apos;s on, with wireless LAN enabled, on the same network as this computer.</source>
        <translation>La machine ne répond pas. Vérifiez qu&apos;elle est allumée, que son réseau sans fil est activé et qu&apos;elle est sur le même réseau que cet ordinateur.</translation>
    </message>
    <message>
        <source>The machine is now presenting a different certificate. That&apos;s expected after a firmware update or reset; otherwise another device may be using this address.</source>
        <translation>La machine présente maintenant un autre certificat. C&apos;est normal après une mise à jour du micrologiciel ou une réinitialisation&#xa0;; sinon, un autre appareil utilise peut-être cette adresse.</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Vérifier à nouveau</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Modifier la machine</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Reported by the Machine</source>
        <translation>Indiqué par la machine</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>N° de série</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Micrologiciel</translation>
    </message>
    <message>
        <source>Embroidery area</source>
        <translation>Zone brodable</translation>
    </message>
    <message>
        <source>Needles</source>
        <translation>Aiguilles</translation>
    </message>
    <message>
        <source>Largest design</source>
        <translation>Taille max.</translation>
    </message>
    <message>
        <source>Certificate (SHA-256)</source>
        <translation>Certificat (SHA-256)</translation>
    </message>
    <message>
        <source>Trust New Certificate</source>
        <translation>Faire confiance au certificat</translation>
    </message>
</context>
<context>
    <name>MachineMonitor</name>
    <message>
        <source>Brother machine</source>
        <comment>the name of a found machine that reports none</comment>
        <translation>Machine Brother</translation>
    </message>
    <message>
        <source>Couldn&apos;t scan the network. Make sure you&apos;re connected to Wi-Fi or Ethernet.</source>
        <translation>Impossible d&apos;analyser le réseau. Vérifiez que vous êtes connecté au Wi-Fi ou à Ethernet.</translation>
    </message>
</context>
<context>
    <name>MachineRow</name>
    <message>
        <source>Machine Info</source>
        <translation>Informations sur la machine</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>Modifier…</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Vérifier à nouveau</translation>
    </message>
    <message>
        <source>Remove…</source>
        <translation>Retirer…</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>Vérification…</translation>
    </message>
    <message>
        <source>Reachable</source>
        <translation>Accessible</translation>
    </message>
    <message>
        <source>Unreachable</source>
        <translation>Inaccessible</translation>
    </message>
    <message>
        <source>Not checked</source>
        <translation>Non vérifiée</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Send designs to %1</source>
        <translation>Envoyer des motifs à %1</translation>
    </message>
    <message>
        <source>Actions for %1</source>
        <translation>Actions pour %1</translation>
    </message>
</context>
<context>
    <name>MachinesView</name>
    <message>
        <source>No machines found. Make sure the machine is on and its wireless LAN is enabled, or add it by the IP address shown in its wireless LAN settings.</source>
        <translation>Aucune machine trouvée. Vérifiez que la machine est allumée et que son réseau sans fil est activé, ou ajoutez-la avec l&apos;adresse IP indiquée dans ses réglages du réseau sans fil.</translation>
    </message>
    <message>
        <source>Machines</source>
        <translation>Machines</translation>
    </message>
    <message>
        <source>Saved</source>
        <comment>the saved machines</comment>
        <translation>Enregistrées</translation>
    </message>
    <message>
        <source>On This Network</source>
        <translation>Sur ce réseau</translation>
    </message>
    <message>
        <source>Scanning your network…</source>
        <translation>Analyse de votre réseau…</translation>
    </message>
    <message>
        <source>Scan Network</source>
        <translation>Analyser le réseau</translation>
    </message>
    <message>
        <source>Add by Address…</source>
        <translation>Ajouter par adresse…</translation>
    </message>
    <message>
        <source>No other machines found.</source>
        <translation>Aucune autre machine trouvée.</translation>
    </message>
    <message>
        <source>Remove this machine?</source>
        <translation>Retirer cette machine&#xa0;?</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>Retirer %1</translation>
    </message>
</context>
<context>
    <name>MainScreen</name>
    <message>
        <source>Machines…</source>
        <translation>Machines…</translation>
    </message>
    <message>
        <source>Add Machine…</source>
        <translation>Ajouter une machine…</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Lancer à l&apos;ouverture de session</translation>
    </message>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Quitter Bobbinlark</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
</context>
<context>
    <name>RecentSendCard</name>
    <message>
        <source>More</source>
        <translation>Plus</translation>
    </message>
    <message>
        <source>Send Again</source>
        <translation>Renvoyer</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Afficher dans le dossier</translation>
    </message>
    <message>
        <source>No file manager to show it in</source>
        <translation>Aucun gestionnaire de fichiers pour l&apos;afficher</translation>
    </message>
    <message>
        <source>Remove from Recents</source>
        <translation>Retirer des envois récents</translation>
    </message>
    <message>
        <source>File moved or deleted</source>
        <translation>Fichier déplacé ou supprimé</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <comment>followed by &quot; · &quot; and the time</comment>
        <translation>Envoyé à %1</translation>
    </message>
    <message>
        <source>%1 · %2 · %3</source>
        <comment>a design&apos;s size, stitches and colours</comment>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message numerus="yes">
        <source>%n stitches</source>
        <translation>
            <numerusform>%n point</numerusform>
            <numerusform>%n points</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n colours</source>
        <translation>
            <numerusform>%n couleur</numerusform>
            <numerusform>%n couleurs</numerusform>
        </translation>
    </message>
    <message>
        <source>Drag onto the drop zone to send %1 again</source>
        <translation>Faites glisser sur la zone de dépôt pour renvoyer %1</translation>
    </message>
</context>
<context>
    <name>RecentSends</name>
    <message>
        <source>Bobbinlark stopped while sending this design. The machine may have received it: check its wireless pocket before sending it again.</source>
        <translation>Bobbinlark s&apos;est arrêté pendant l&apos;envoi de ce motif. La machine l&apos;a peut-être reçu&#xa0;: vérifiez sa poche sans fil avant de l&apos;envoyer à nouveau.</translation>
    </message>
</context>
<context>
    <name>RecentSendsView</name>
    <message>
        <source>Recent</source>
        <comment>the recent sends</comment>
        <translation>Envois récents</translation>
    </message>
    <message>
        <source>Drag onto the drop zone to resend</source>
        <translation>Faites glisser sur la zone de dépôt pour renvoyer</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Effacer</translation>
    </message>
    <message>
        <source>Designs you send appear here.</source>
        <translation>Les motifs que vous envoyez apparaissent ici.</translation>
    </message>
</context>
<context>
    <name>ScreenHeader</name>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
</context>
<context>
    <name>SendQueue</name>
    <message>
        <source>Couldn&apos;t read %1.</source>
        <translation>Impossible de lire %1.</translation>
    </message>
    <message numerus="yes">
        <source>This file can&apos;t be sent. The machine reads %1 files.</source>
        <comment>%1 lists the extensions: .pes, .phc, .dst or .pen</comment>
        <translation>
            <numerusform>Ce fichier ne peut pas être envoyé. La machine lit les fichiers %1.</numerusform>
            <numerusform>Ces fichiers ne peuvent pas être envoyés. La machine lit les fichiers %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Add a machine first, then drop a design to send it.</source>
        <translation>Ajoutez d&apos;abord une machine, puis déposez un motif pour l&apos;envoyer.</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped (not %1)</source>
        <comment>%1 lists the extensions</comment>
        <translation>
            <numerusform>%n fichier ignoré (format autre que %1)</numerusform>
            <numerusform>%n fichiers ignorés (format autre que %1)</numerusform>
        </translation>
    </message>
    <message>
        <source>Couldn&apos;t read %1: its disk did not answer.</source>
        <translation>Impossible de lire %1&#xa0;: son disque ne répond pas.</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <translation>Envoyé à %1</translation>
    </message>
    <message>
        <source>Sent %1 of %2. %3</source>
        <comment>%3 says what went wrong</comment>
        <translation>Envoyés&#xa0;: %1 sur %2. %3</translation>
    </message>
    <message numerus="yes">
        <source>%n designs</source>
        <translation>
            <numerusform>%n motif</numerusform>
            <numerusform>%n motifs</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ServicesProvider</name>
    <message>
        <source>No files to send.</source>
        <translation>Aucun fichier à envoyer.</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Couldn&apos;t use your settings: %1 is not a regular file.</source>
        <translation>Impossible d&apos;utiliser vos paramètres&#xa0;: %1 n&apos;est pas un fichier ordinaire.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 cannot be reached.</source>
        <translation>Impossible d&apos;utiliser vos paramètres&#xa0;: %1 est inaccessible.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 is in the way.</source>
        <translation>Impossible d&apos;utiliser vos paramètres&#xa0;: %1 fait obstacle.</translation>
    </message>
</context>
<context>
    <name>SizeWarning</name>
    <message>
        <source>%1 × %2 mm</source>
        <comment>a design&apos;s width and height</comment>
        <translation>%1 × %2&#xa0;mm</translation>
    </message>
    <message>
        <source>%1 is %2, larger than %3&apos;s %4 area.</source>
        <comment>file name, design size, machine name, embroidery area</comment>
        <translation>%1 mesure %2, soit plus que la zone de broderie de %3 (%4).</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>et %n autre</numerusform>
            <numerusform>et %n autres</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StateStore</name>
    <message>
        <source>Bobbinlark couldn&apos;t save your last changes when it quit, as another program was writing your settings. They were kept and are saved now.</source>
        <translation>Bobbinlark n&apos;a pas pu enregistrer vos dernières modifications en quittant, car un autre programme écrivait vos réglages. Elles ont été conservées et sont maintenant enregistrées.</translation>
    </message>
</context>
<context>
    <name>StitchFileTypes</name>
    <message>
        <source>%1 or %2</source>
        <comment>the end of a list: &quot;.pes, .phc, .dst or .pen&quot;</comment>
        <translation>%1 ou %2</translation>
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
        <translation>Impossible d&apos;enregistrer vos paramètres&#xa0;: %1 n&apos;est pas accessible en écriture.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings: another program kept them busy. Try again.</source>
        <translation>Impossible d&apos;enregistrer vos paramètres&#xa0;: un autre programme les utilisait. Réessayez.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings to %1.</source>
        <translation>Impossible d&apos;enregistrer vos paramètres dans %1.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Design files to send to the selected machine.</source>
        <translation>Fichiers de motifs à envoyer à la machine sélectionnée.</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[FICHIER...]</translation>
    </message>
</context>
</TS>
