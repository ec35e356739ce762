package org.example.big;

import java.net.URI;
import java.nio.file.Path;
import java.time.LocalDate;
import java.util.Map;
import java.util.Optional;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.Future;
import java.util.stream.Stream;
import javax.ejb.EJBObject;

/** A remote interface that reaches far into the JDK: the benchmark's larger fixture. */
public interface Catalog extends EJBObject {
    ConcurrentHashMap<String, Integer> stock() throws java.rmi.RemoteException;

    Stream<String> names() throws java.rmi.RemoteException;

    Optional<Path> export(URI target, LocalDate day) throws java.rmi.RemoteException;

    Future<Map<String, Long>> totals() throws java.rmi.RemoteException;
}
