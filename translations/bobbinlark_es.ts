<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Bobbinlark</source>
        <translation>Acerca de Bobbinlark</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versión %1</translation>
    </message>
    <message>
        <source>Sends embroidery designs to Brother embroidery machines on your network.</source>
        <translation>Envía diseños de bordado a las máquinas de bordar Brother de tu red.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Salir de Bobbinlark</translation>
    </message>
    <message>
        <source>About Bobbinlark</source>
        <translation>Acerca de Bobbinlark</translation>
    </message>
    <message>
        <source>Open Bobbinlark</source>
        <translation>Abrir Bobbinlark</translation>
    </message>
    <message>
        <source>Sending %1…</source>
        <translation>Enviando %1…</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Ninguna máquina configurada</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <translation>%1 · Lista</translation>
    </message>
    <message>
        <source>%1 · Not answering</source>
        <translation>%1 · No responde</translation>
    </message>
    <message>
        <source>%1 · Checking…</source>
        <translation>%1 · Comprobando…</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Suelta los diseños para enviarlos a %1</translation>
    </message>
</context>
<context>
    <name>BatchNotice</name>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>Enviado a %2: %1</translation>
    </message>
    <message>
        <source>Not everything was sent</source>
        <translation>No se ha enviado todo</translation>
    </message>
    <message>
        <source>Couldn&apos;t send %1</source>
        <translation>No se pudo enviar %1</translation>
    </message>
    <message numerus="yes">
        <source>Couldn&apos;t send %1 and %n more</source>
        <comment>%1 is a file name</comment>
        <translation>
            <numerusform>No se pudieron enviar %1 y %n más</numerusform>
            <numerusform>No se pudieron enviar %1 y %n más</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BrotherAPIError</name>
    <message>
        <source>This design is too large to send. The machine accepts up to %1.</source>
        <translation>Este diseño es demasiado grande para enviarlo. La máquina acepta hasta %1.</translation>
    </message>
    <message>
        <source>The machine refused the design (status %1). If it&apos;s full, retrieve the waiting designs on the machine, or turn it off and on to empty its wireless pocket.</source>
        <translation>La máquina rechazó el diseño (estado %1). Si está llena, recupera en la máquina los diseños pendientes, o apágala y vuelve a encenderla para vaciar su bolsillo inalámbrico.</translation>
    </message>
    <message>
        <source>Couldn&apos;t reach the machine. Make sure it&apos;s on and connected to Wi-Fi, then try again.</source>
        <translation>No se pudo contactar con la máquina. Comprueba que esté encendida y conectada a la red Wi-Fi, y vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>The design was sent, but the machine didn&apos;t answer. It may have received it: check its wireless pocket before sending it again.</source>
        <translation>El diseño se envió, pero la máquina no respondió. Puede que lo haya recibido: revisa su bolsillo inalámbrico antes de volver a enviarlo.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read the design while sending it, so the machine didn&apos;t receive all of it. Check the file and send it again.</source>
        <translation>No se pudo leer el diseño mientras se enviaba, así que la máquina no lo recibió completo. Comprueba el archivo y vuelve a enviarlo.</translation>
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
        <translation>Cero KB</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CloseButton</name>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>ConfirmationSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>DesignFile</name>
    <message>
        <source>This design is too large to send. Bobbinlark sends designs of up to %1.</source>
        <translation>Este diseño es demasiado grande para enviarlo. Bobbinlark envía diseños de hasta %1.</translation>
    </message>
</context>
<context>
    <name>DesignFileChooser</name>
    <message>
        <source>Choose Designs to Send</source>
        <translation>Elegir diseños para enviar</translation>
    </message>
    <message>
        <source>Embroidery designs</source>
        <translation>Diseños de bordado</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
</context>
<context>
    <name>DiscoveredRow</name>
    <message>
        <source>Add</source>
        <comment>adds a found machine</comment>
        <translation>Añadir</translation>
    </message>
    <message>
        <source>Brother machine</source>
        <translation>Máquina Brother</translation>
    </message>
</context>
<context>
    <name>DropZone</name>
    <message>
        <source>Sending %1…</source>
        <translation>Enviando %1…</translation>
    </message>
    <message>
        <source>Release to send</source>
        <translation>Suelta para enviar</translation>
    </message>
    <message>
        <source>to %1</source>
        <comment>under &quot;Release to send&quot;: the machine&apos;s name</comment>
        <translation>a %1</translation>
    </message>
    <message>
        <source>Drop designs to send to %1</source>
        <translation>Suelta los diseños para enviarlos a %1</translation>
    </message>
    <message>
        <source>Drop designs here</source>
        <translation>Suelta los diseños aquí</translation>
    </message>
    <message>
        <source>Set up your machine above first.</source>
        <translation>Primero configura tu máquina arriba.</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <comment>the file being sent, of the files in the batch</comment>
        <translation>%1 de %2</translation>
    </message>
    <message>
        <source>Sent %1 to %2</source>
        <comment>%1 is a file name or &quot;3 designs&quot;</comment>
        <translation>Enviado a %2: %1</translation>
    </message>
    <message>
        <source>On the machine, open the pattern retrieve screen and pick the wireless pocket.</source>
        <translation>En la máquina, abre la pantalla de recuperación de patrones y elige el bolsillo inalámbrico.</translation>
    </message>
    <message>
        <source>Press Space or Return, or click, to choose design files to send.</source>
        <translation>Pulsa Espacio o Intro, o haz clic, para elegir los archivos de diseño que quieres enviar.</translation>
    </message>
</context>
<context>
    <name>DropZonePages</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>MachineBar</name>
    <message>
        <source>Choose or manage machines</source>
        <translation>Elegir o gestionar máquinas</translation>
    </message>
    <message>
        <source>Use This Machine</source>
        <translation>Usar esta máquina</translation>
    </message>
    <message>
        <source>Set Up…</source>
        <translation>Configurar…</translation>
    </message>
    <message>
        <source>%1 · Found at a new address</source>
        <translation>%1 · Encontrada en una nueva dirección</translation>
    </message>
    <message>
        <source>%1 · Ready</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · Lista</translation>
    </message>
    <message>
        <source>Not answering · Looking on the network…</source>
        <translation>No responde · Buscando en la red…</translation>
    </message>
    <message>
        <source>Not answering at %1</source>
        <translation>No responde en %1</translation>
    </message>
    <message>
        <source>Found %1</source>
        <comment>a machine&apos;s name</comment>
        <translation>Se ha encontrado %1</translation>
    </message>
    <message>
        <source>Found a Brother machine</source>
        <translation>Se ha encontrado una máquina Brother</translation>
    </message>
    <message>
        <source>Looking for your machine…</source>
        <translation>Buscando tu máquina…</translation>
    </message>
    <message>
        <source>No machine found on this network</source>
        <translation>No se ha encontrado ninguna máquina en esta red</translation>
    </message>
    <message>
        <source>No machine set up</source>
        <translation>Ninguna máquina configurada</translation>
    </message>
</context>
<context>
    <name>MachineEditView</name>
    <message>
        <source>No machine answered at this address. Check the IP, and that the machine is on with wireless LAN enabled.</source>
        <translation>Ninguna máquina respondió en esta dirección. Comprueba la IP y que la máquina esté encendida y con la LAN inalámbrica activada.</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Editar máquina</translation>
    </message>
    <message>
        <source>Add Machine</source>
        <translation>Añadir máquina</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.50</source>
        <translation>p. ej., 192.168.1.50</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>Dirección IP</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Puerto</translation>
    </message>
    <message>
        <source>Find the IP address in the machine&apos;s wireless LAN settings.</source>
        <translation>Encontrarás la dirección IP en la configuración de LAN inalámbrica de la máquina.</translation>
    </message>
    <message>
        <source>My machine</source>
        <translation>Mi máquina</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Optional</source>
        <translation>Opcional</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>Test Connection</source>
        <translation>Probar conexión</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Serial %1</source>
        <translation>N.º de serie %1</translation>
    </message>
    <message>
        <source>Not tested yet</source>
        <translation>Aún sin probar</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Conectando…</translation>
    </message>
    <message>
        <source>Connected to %1</source>
        <translation>Conectado a %1</translation>
    </message>
    <message>
        <source>Connected to the machine</source>
        <translation>Conectado a la máquina</translation>
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
        <translation>La máquina no responde. Comprueba que esté encendida, con la LAN inalámbrica activada y en la misma red que este equipo.</translation>
    </message>
    <message>
        <source>The machine is now presenting a different certificate. That&apos;s expected after a firmware update or reset; otherwise another device may be using this address.</source>
        <translation>La máquina presenta ahora un certificado distinto. Es normal después de actualizar el firmware o restablecerla; si no, puede que otro dispositivo esté usando esta dirección.</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Volver a comprobar</translation>
    </message>
    <message>
        <source>Edit Machine</source>
        <translation>Editar máquina</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Dirección</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>Reported by the Machine</source>
        <translation>Datos de la máquina</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>N.º de serie</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Embroidery area</source>
        <translation>Área de bordado</translation>
    </message>
    <message>
        <source>Needles</source>
        <translation>Agujas</translation>
    </message>
    <message>
        <source>Largest design</source>
        <translation>Tamaño máx.</translation>
    </message>
    <message>
        <source>Certificate (SHA-256)</source>
        <translation>Certificado (SHA-256)</translation>
    </message>
    <message>
        <source>Trust New Certificate</source>
        <translation>Confiar en el certificado nuevo</translation>
    </message>
</context>
<context>
    <name>MachineMonitor</name>
    <message>
        <source>Brother machine</source>
        <comment>the name of a found machine that reports none</comment>
        <translation>Máquina Brother</translation>
    </message>
    <message>
        <source>Couldn&apos;t scan the network. Make sure you&apos;re connected to Wi-Fi or Ethernet.</source>
        <translation>No se pudo buscar en la red. Comprueba que tienes conexión Wi-Fi o Ethernet.</translation>
    </message>
</context>
<context>
    <name>MachineRow</name>
    <message>
        <source>Machine Info</source>
        <translation>Información de la máquina</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>Editar…</translation>
    </message>
    <message>
        <source>Check Again</source>
        <translation>Volver a comprobar</translation>
    </message>
    <message>
        <source>Remove…</source>
        <translation>Quitar…</translation>
    </message>
    <message>
        <source>Checking…</source>
        <translation>Comprobando…</translation>
    </message>
    <message>
        <source>Reachable</source>
        <translation>Accesible</translation>
    </message>
    <message>
        <source>Unreachable</source>
        <translation>Inaccesible</translation>
    </message>
    <message>
        <source>Not checked</source>
        <translation>Sin comprobar</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <comment>the machine&apos;s address and its state</comment>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Send designs to %1</source>
        <translation>Enviar diseños a %1</translation>
    </message>
    <message>
        <source>Actions for %1</source>
        <translation>Acciones de %1</translation>
    </message>
</context>
<context>
    <name>MachinesView</name>
    <message>
        <source>No machines found. Make sure the machine is on and its wireless LAN is enabled, or add it by the IP address shown in its wireless LAN settings.</source>
        <translation>No se ha encontrado ninguna máquina. Comprueba que la máquina esté encendida y con la LAN inalámbrica activada, o añádela con la dirección IP que aparece en su configuración de LAN inalámbrica.</translation>
    </message>
    <message>
        <source>Machines</source>
        <translation>Máquinas</translation>
    </message>
    <message>
        <source>Saved</source>
        <comment>the saved machines</comment>
        <translation>Guardadas</translation>
    </message>
    <message>
        <source>On This Network</source>
        <translation>En esta red</translation>
    </message>
    <message>
        <source>Scanning your network…</source>
        <translation>Buscando en tu red…</translation>
    </message>
    <message>
        <source>Scan Network</source>
        <translation>Buscar en la red</translation>
    </message>
    <message>
        <source>Add by Address…</source>
        <translation>Añadir por dirección…</translation>
    </message>
    <message>
        <source>No other machines found.</source>
        <translation>No se han encontrado otras máquinas.</translation>
    </message>
    <message>
        <source>Remove this machine?</source>
        <translation>¿Quitar esta máquina?</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>Quitar %1</translation>
    </message>
</context>
<context>
    <name>MainScreen</name>
    <message>
        <source>Machines…</source>
        <translation>Máquinas…</translation>
    </message>
    <message>
        <source>Add Machine…</source>
        <translation>Añadir máquina…</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Abrir al iniciar sesión</translation>
    </message>
    <message>
        <source>Quit Bobbinlark</source>
        <translation>Salir de Bobbinlark</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Configuración</translation>
    </message>
</context>
<context>
    <name>RecentSendCard</name>
    <message>
        <source>More</source>
        <translation>Más</translation>
    </message>
    <message>
        <source>Send Again</source>
        <translation>Volver a enviar</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
    <message>
        <source>No file manager to show it in</source>
        <translation>No hay ningún gestor de archivos para mostrarlo</translation>
    </message>
    <message>
        <source>Remove from Recents</source>
        <translation>Quitar de recientes</translation>
    </message>
    <message>
        <source>File moved or deleted</source>
        <translation>Archivo movido o eliminado</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <comment>followed by &quot; · &quot; and the time</comment>
        <translation>Enviado a %1</translation>
    </message>
    <message>
        <source>%1 · %2 · %3</source>
        <comment>a design&apos;s size, stitches and colours</comment>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message numerus="yes">
        <source>%n stitches</source>
        <translation>
            <numerusform>%n puntada</numerusform>
            <numerusform>%n puntadas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n colours</source>
        <translation>
            <numerusform>%n color</numerusform>
            <numerusform>%n colores</numerusform>
        </translation>
    </message>
    <message>
        <source>Drag onto the drop zone to send %1 again</source>
        <translation>Arrastra hasta la zona de envío para volver a enviar %1</translation>
    </message>
</context>
<context>
    <name>RecentSends</name>
    <message>
        <source>Bobbinlark stopped while sending this design. The machine may have received it: check its wireless pocket before sending it again.</source>
        <translation>Bobbinlark se detuvo mientras enviaba este diseño. Puede que la máquina lo haya recibido: revisa su bolsillo inalámbrico antes de volver a enviarlo.</translation>
    </message>
</context>
<context>
    <name>RecentSendsView</name>
    <message>
        <source>Recent</source>
        <comment>the recent sends</comment>
        <translation>Recientes</translation>
    </message>
    <message>
        <source>Drag onto the drop zone to resend</source>
        <translation>Arrastra hasta la zona de envío para reenviar</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Limpiar</translation>
    </message>
    <message>
        <source>Designs you send appear here.</source>
        <translation>Los diseños que envíes aparecerán aquí.</translation>
    </message>
</context>
<context>
    <name>ScreenHeader</name>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
</context>
<context>
    <name>SendQueue</name>
    <message>
        <source>Couldn&apos;t read %1.</source>
        <translation>No se pudo leer %1.</translation>
    </message>
    <message numerus="yes">
        <source>This file can&apos;t be sent. The machine reads %1 files.</source>
        <comment>%1 lists the extensions: .pes, .phc, .dst or .pen</comment>
        <translation>
            <numerusform>Este archivo no se puede enviar. La máquina lee archivos %1.</numerusform>
            <numerusform>Estos archivos no se pueden enviar. La máquina lee archivos %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Add a machine first, then drop a design to send it.</source>
        <translation>Añade primero una máquina y luego suelta un diseño para enviarlo.</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped (not %1)</source>
        <comment>%1 lists the extensions</comment>
        <translation>
            <numerusform>%n omitido (no es %1)</numerusform>
            <numerusform>%n omitidos (no son %1)</numerusform>
        </translation>
    </message>
    <message>
        <source>Couldn&apos;t read %1: its disk did not answer.</source>
        <translation>No se pudo leer %1: su disco no respondió.</translation>
    </message>
    <message>
        <source>Sent to %1</source>
        <translation>Enviado a %1</translation>
    </message>
    <message>
        <source>Sent %1 of %2. %3</source>
        <comment>%3 says what went wrong</comment>
        <translation>Enviados: %1 de %2. %3</translation>
    </message>
    <message numerus="yes">
        <source>%n designs</source>
        <translation>
            <numerusform>%n diseño</numerusform>
            <numerusform>%n diseños</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ServicesProvider</name>
    <message>
        <source>No files to send.</source>
        <translation>No hay archivos que enviar.</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Couldn&apos;t use your settings: %1 is not a regular file.</source>
        <translation>No se pudo usar tu configuración: %1 no es un archivo normal.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 cannot be reached.</source>
        <translation>No se pudo usar tu configuración: no se puede acceder a %1.</translation>
    </message>
    <message>
        <source>Couldn&apos;t use your settings: %1 is in the way.</source>
        <translation>No se pudo usar tu configuración: %1 lo impide.</translation>
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
        <translation>%1 mide %2 y supera el área de %4 de %3.</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>y %n más</numerusform>
            <numerusform>y %n más</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StateStore</name>
    <message>
        <source>Bobbinlark couldn&apos;t save your last changes when it quit, as another program was writing your settings. They were kept and are saved now.</source>
        <translation>Bobbinlark no pudo guardar tus últimos cambios al salir, porque otro programa estaba escribiendo tus ajustes. Se conservaron y ya están guardados.</translation>
    </message>
</context>
<context>
    <name>StitchFileTypes</name>
    <message>
        <source>%1 or %2</source>
        <comment>the end of a list: &quot;.pes, .phc, .dst or .pen&quot;</comment>
        <translation>%1 o %2</translation>
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
        <translation>No se pudo guardar tu configuración: no se puede escribir en %1.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings: another program kept them busy. Try again.</source>
        <translation>No se pudo guardar tu configuración: otro programa la estaba usando. Inténtalo de nuevo.</translation>
    </message>
    <message>
        <source>Couldn&apos;t save your settings to %1.</source>
        <translation>No se pudo guardar tu configuración en %1.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Design files to send to the selected machine.</source>
        <translation>Archivos de diseño que enviar a la máquina seleccionada.</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[ARCHIVO...]</translation>
    </message>
</context>
</TS>
