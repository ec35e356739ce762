package kf.uddi.testregistry;

import com.sun.net.httpserver.HttpExchange;
import com.sun.net.httpserver.HttpServer;
import java.io.ByteArrayInputStream;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.io.StringWriter;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.Locale;
import javax.xml.parsers.DocumentBuilder;
import javax.xml.parsers.DocumentBuilderFactory;
import javax.xml.transform.OutputKeys;
import javax.xml.transform.Transformer;
import javax.xml.transform.TransformerFactory;
import javax.xml.transform.dom.DOMSource;
import javax.xml.transform.stream.StreamResult;
import org.w3c.dom.Document;
import org.w3c.dom.Element;
import org.w3c.dom.Node;

/**
 * A UDDI version 2 inquiry registry on loopback for tests: answers find_business,
 * get_businessDetail and find_service from the businessEntity elements of a fixture file,
 * a SOAP fault with E_invalidKeyPassed for an unknown business key, and records every
 * request body.
 *
 * <p>As a program: UddiTestRegistry fixture.xml port-file [request-log]; the port goes to
 * port-file once the server listens, and it serves until it is ended. In-process:
 * start(fixture, log) gives the port.
 */
public final class UddiTestRegistry {
    static final String SOAP = "http://schemas.xmlsoap.org/soap/envelope/";
    static final String UDDI = "urn:uddi-org:api_v2";

    private static HttpServer server;
    private static final List<String> requests = new ArrayList<>();
    private static File requestLog;
    private static List<Element> businesses = new ArrayList<>();

    private UddiTestRegistry() {}

    public static void main(String[] args) throws Exception {
        if (args.length < 2) {
            System.err.println("usage: UddiTestRegistry fixture.xml port-file [request-log]");
            System.exit(2);
        }
        int port = start(args[0], args.length > 2 ? args[2] : null);
        File portFile = new File(args[1]);
        File tmp = new File(args[1] + ".tmp");
        Files.write(tmp.toPath(), Integer.toString(port).getBytes(StandardCharsets.US_ASCII));
        Files.move(tmp.toPath(), portFile.toPath(), StandardCopyOption.ATOMIC_MOVE,
                StandardCopyOption.REPLACE_EXISTING);
        // Serves until the process is ended.
        Thread.currentThread().join();
    }

    public static synchronized int start(String fixture, String log) throws Exception {
        stop();
        Document d = parse(Files.readAllBytes(new File(fixture).toPath()));
        businesses = children(d.getDocumentElement(), "businessEntity");
        requestLog = log == null || log.isEmpty() ? null : new File(log);
        requests.clear();
        // Headers and body go out as separate writes; without TCP_NODELAY each answer would
        // wait for the client's delayed acknowledgement.
        System.setProperty("sun.net.httpserver.nodelay", "true");
        server = HttpServer.create(new InetSocketAddress(InetAddress.getLoopbackAddress(), 0), 16);
        server.createContext("/", UddiTestRegistry::handle);
        server.start();
        return server.getAddress().getPort();
    }

    public static synchronized void stop() {
        if (server != null) server.stop(0);
        server = null;
    }

    public static synchronized String[] requests() {
        return requests.toArray(new String[0]);
    }

    public static synchronized void clearRequests() {
        requests.clear();
    }

    private static synchronized void record(String body) throws IOException {
        requests.add(body);
        if (requestLog != null) {
            try (OutputStream out = new FileOutputStream(requestLog, true)) {
                out.write((body.replace('\n', ' ') + "\n").getBytes(StandardCharsets.UTF_8));
            }
        }
    }

    private static void handle(HttpExchange x) throws IOException {
        byte[] body;
        try (InputStream in = x.getRequestBody()) {
            body = in.readAllBytes();
        }
        record(new String(body, StandardCharsets.UTF_8));
        String answer;
        int status = 200;
        try {
            if (!"POST".equals(x.getRequestMethod())) throw new Fault("E_unsupported", "10050", "POST only");
            answer = envelope(answer(parse(body)));
        } catch (Fault f) {
            status = 500;
            answer = fault(f);
        } catch (Exception e) {
            status = 500;
            answer = fault(new Fault("E_fatalError", "10500", String.valueOf(e.getMessage())));
        }
        byte[] bytes = answer.getBytes(StandardCharsets.UTF_8);
        x.getResponseHeaders().set("Content-Type", "text/xml; charset=utf-8");
        x.sendResponseHeaders(status, bytes.length);
        try (OutputStream out = x.getResponseBody()) {
            out.write(bytes);
        }
    }

    static final class Fault extends Exception {
        private static final long serialVersionUID = 1L;
        final String code;
        final String errno;

        Fault(String code, String errno, String text) {
            super(text);
            this.code = code;
            this.errno = errno;
        }
    }

    /** The UDDI answer element for the request envelope. */
    private static String answer(Document request) throws Exception {
        Element env = request.getDocumentElement();
        Element body = first(env, SOAP, "Body");
        Element call = body == null ? null : firstElement(body);
        if (call == null || !UDDI.equals(call.getNamespaceURI())) {
            throw new Fault("E_fatalError", "10500", "no UDDI request");
        }
        Document out = newDocument();
        switch (call.getLocalName()) {
            case "find_business": return findBusiness(call, out);
            case "get_businessDetail": return businessDetail(call, out);
            case "find_service": return findService(call, out);
            default: throw new Fault("E_unsupported", "10050", call.getLocalName());
        }
    }

    private static final class Query {
        boolean exact, caseSensitive, descending;
        String name;
        int maxRows;

        Query(Element call) throws Fault {
            for (Element q : children(first(call, UDDI, "findQualifiers"), "findQualifier")) {
                switch (q.getTextContent().trim()) {
                    case "exactNameMatch": exact = true; break;
                    case "caseSensitiveMatch": caseSensitive = true; break;
                    case "sortByNameAsc": descending = false; break;
                    case "sortByNameDesc": descending = true; break;
                    default: throw new Fault("E_unsupported", "10050", q.getTextContent());
                }
            }
            Element n = first(call, UDDI, "name");
            name = n == null ? "" : n.getTextContent();
            maxRows = call.hasAttribute("maxRows") ? Integer.parseInt(call.getAttribute("maxRows")) : 0;
        }

        // UDDI v2: a leading-name match unless exactNameMatch; case-insensitive unless
        // caseSensitiveMatch.
        boolean matches(String candidate) {
            String a = caseSensitive ? candidate : candidate.toLowerCase(Locale.ROOT);
            String b = caseSensitive ? name : name.toLowerCase(Locale.ROOT);
            return exact ? a.equals(b) : a.startsWith(b);
        }

        <T> void sortAndCut(List<T> items, java.util.function.Function<T, String> nameOf) {
            Comparator<T> c = Comparator.comparing(t -> nameOf.apply(t).toLowerCase(Locale.ROOT));
            items.sort(descending ? c.reversed() : c);
            while (maxRows > 0 && items.size() > maxRows) items.remove(items.size() - 1);
        }
    }

    private static String findBusiness(Element call, Document out) throws Exception {
        Query q = new Query(call);
        List<Element> found = new ArrayList<>();
        for (Element b : businesses) if (q.matches(text(first(b, UDDI, "name")))) found.add(b);
        int total = found.size();
        q.sortAndCut(found, b -> text(first(b, UDDI, "name")));
        Element list = uddi(out, "businessList");
        list.setAttribute("truncated", found.size() < total ? "true" : "false");
        Element infos = add(list, "businessInfos");
        for (Element b : found) {
            Element info = add(infos, "businessInfo");
            info.setAttribute("businessKey", b.getAttribute("businessKey"));
            copy(b, "name", info);
            copy(b, "description", info);
            Element serviceInfos = add(info, "serviceInfos");
            for (Element s : services(b)) serviceInfos.appendChild(serviceInfo(out, b, s));
        }
        return serialize(list);
    }

    private static String businessDetail(Element call, Document out) throws Exception {
        Element detail = uddi(out, "businessDetail");
        List<Element> keys = children(call, "businessKey");
        if (keys.isEmpty()) throw new Fault("E_fatalError", "10500", "no businessKey");
        for (Element k : keys) {
            Element found = null;
            for (Element b : businesses) {
                if (b.getAttribute("businessKey").equalsIgnoreCase(k.getTextContent().trim())) found = b;
            }
            if (found == null) {
                throw new Fault("E_invalidKeyPassed", "10210",
                        "The businessKey " + k.getTextContent().trim() + " is not known");
            }
            detail.appendChild(out.importNode(found, true));
        }
        return serialize(detail);
    }

    private static String findService(Element call, Document out) throws Exception {
        Query q = new Query(call);
        List<Element[]> found = new ArrayList<>();
        for (Element b : businesses) {
            for (Element s : services(b)) {
                if (q.matches(text(first(s, UDDI, "name")))) found.add(new Element[] {b, s});
            }
        }
        int total = found.size();
        q.sortAndCut(found, p -> text(first(p[1], UDDI, "name")));
        Element list = uddi(out, "serviceList");
        list.setAttribute("truncated", found.size() < total ? "true" : "false");
        Element infos = add(list, "serviceInfos");
        for (Element[] p : found) infos.appendChild(serviceInfo(out, p[0], p[1]));
        return serialize(list);
    }

    private static Element serviceInfo(Document out, Element business, Element service) {
        Element info = out.createElementNS(UDDI, "serviceInfo");
        info.setAttribute("serviceKey", service.getAttribute("serviceKey"));
        info.setAttribute("businessKey", business.getAttribute("businessKey"));
        copy(service, "name", info);
        return info;
    }

    private static List<Element> services(Element business) {
        return children(first(business, UDDI, "businessServices"), "businessService");
    }

    // --- XML plumbing ---

    private static final DocumentBuilderFactory FACTORY = DocumentBuilderFactory.newInstance();
    private static final TransformerFactory TRANSFORMERS = TransformerFactory.newInstance();

    static {
        FACTORY.setNamespaceAware(true);
        try {
            FACTORY.setFeature("http://apache.org/xml/features/disallow-doctype-decl", true);
        } catch (javax.xml.parsers.ParserConfigurationException e) {
            throw new IllegalStateException(e);
        }
    }

    private static synchronized DocumentBuilder builder() throws Exception {
        return FACTORY.newDocumentBuilder();
    }

    private static Document parse(byte[] xml) throws Exception {
        return builder().parse(new ByteArrayInputStream(xml));
    }

    private static Document newDocument() throws Exception {
        return builder().newDocument();
    }

    private static Element uddi(Document d, String name) {
        Element e = d.createElementNS(UDDI, name);
        e.setAttribute("generic", "2.0");
        e.setAttribute("operator", "kf test registry");
        d.appendChild(e);
        return e;
    }

    private static Element add(Element parent, String name) {
        Element e = parent.getOwnerDocument().createElementNS(UDDI, name);
        parent.appendChild(e);
        return e;
    }

    private static void copy(Element from, String name, Element to) {
        Element e = first(from, UDDI, name);
        if (e != null) to.appendChild(to.getOwnerDocument().importNode(e, true));
    }

    private static Element first(Element parent, String ns, String name) {
        if (parent == null) return null;
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n instanceof Element && name.equals(n.getLocalName()) && ns.equals(n.getNamespaceURI())) {
                return (Element) n;
            }
        }
        return null;
    }

    private static Element firstElement(Element parent) {
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n instanceof Element) return (Element) n;
        }
        return null;
    }

    private static List<Element> children(Element parent, String name) {
        List<Element> list = new ArrayList<>();
        if (parent == null) return list;
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n instanceof Element && name.equals(n.getLocalName()) && UDDI.equals(n.getNamespaceURI())) {
                list.add((Element) n);
            }
        }
        return list;
    }

    private static String text(Element e) {
        return e == null ? "" : e.getTextContent();
    }

    private static String serialize(Element e) throws Exception {
        Transformer t;
        synchronized (TRANSFORMERS) {
            t = TRANSFORMERS.newTransformer();
        }
        t.setOutputProperty(OutputKeys.OMIT_XML_DECLARATION, "yes");
        StringWriter w = new StringWriter();
        t.transform(new DOMSource(e), new StreamResult(w));
        return w.toString();
    }

    private static String envelope(String content) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soapenv:Envelope xmlns:soapenv=\"" + SOAP
                + "\"><soapenv:Body>" + content + "</soapenv:Body></soapenv:Envelope>";
    }

    private static String fault(Fault f) {
        String text = f.getMessage() == null ? "" : f.getMessage().replace("&", "&amp;").replace("<", "&lt;");
        return envelope("<soapenv:Fault><faultcode>soapenv:Client</faultcode>"
                + "<faultstring>Client Error</faultstring><detail>"
                + "<dispositionReport generic=\"2.0\" operator=\"kf test registry\" xmlns=\"" + UDDI + "\">"
                + "<result errno=\"" + f.errno + "\"><errInfo errCode=\"" + f.code + "\">" + text
                + "</errInfo></result></dispositionReport></detail></soapenv:Fault>");
    }
}
